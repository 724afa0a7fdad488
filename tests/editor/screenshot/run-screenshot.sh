#!/bin/sh
# run-screenshot.sh PROGRAM OUTDIR: the program under Xvfb; 77 (skipped) without xvfb-run or an X server.
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run not found: screenshots skipped"; exit 77; }
log=$(mktemp)
xvfb-run -a -s "-screen 0 1280x800x24" env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb "$1" "$2" >"$log" 2>&1
status=$?
cat "$log"
grep -q "display up" "$log" || { echo "no X server could start: screenshots skipped"; status=77; }
rm -f "$log"
exit $status
