#!/bin/sh
# Runs the screenshot program under Xvfb. Exit 77 (skipped) when there is no xvfb-run or no X
# server could start; the program's own result otherwise.
#   run-screenshot.sh PROGRAM OUTDIR
program=$1
outdir=$2
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "xvfb-run not found: screenshots skipped"
  exit 77
fi
log=$(mktemp)
xvfb-run -a -s "-screen 0 1280x800x24" env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb "$program" "$outdir" >"$log" 2>&1
status=$?
cat "$log"
if ! grep -q "display up" "$log"; then
  rm -f "$log"
  echo "no X server could start: screenshots skipped"
  exit 77
fi
rm -f "$log"
exit $status
