#!/usr/bin/env bash
# Whole-command timings of many devices: sync of NIT and BAT from one simulated device to 1, 10,
# 100 and 1000 simulated devices not synchronised before (each its own devices; port A of each
# written and read back, port B already holds the source's tables), the same sync of the 1000 again
# (all in step: read only), and an audit of 1000, all over loopback with one quorvelin-devsim
# serving the fleet. Prints wall time, time per device and
# the command's peak memory (GNU time's maximum resident set size).
# usage: bench/fleet.sh [BUILD_DIR]   (default build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
work=$(mktemp -d)
trap 'kill $devsim $source 2>/dev/null || true; rm -rf "$work"' EXIT
# An address block of its own: 127.0.{10..14}.x for the fleet (1111 devices), 127.0.9.1 for the source.
"$build/tools/devsim/quorvelin-devsim" --listen 127.0.10.1-127.0.14.87 --sample >"$work/devsim.txt" &
devsim=$!
"$build/tools/devsim/quorvelin-devsim" --listen 127.0.9.1 --sample >"$work/source.txt" &
source=$!
until grep -q ready "$work/devsim.txt" 2>/dev/null && grep -q ready "$work/source.txt" 2>/dev/null; do sleep 0.1; done
python3 - "$work" <<'PY'
import ipaddress, sys
first = int(ipaddress.IPv4Address("127.0.10.1"))
with open(sys.argv[1] + "/all.txt", "w") as f:
    for i in range(1111):
        f.write(str(ipaddress.IPv4Address(first + i)) + "\n")
PY
printf "| work | devices | wall time | per device | peak memory | result |\n|---|---|---|---|---|---|\n"
run() {  # name, devices, first device (from 0), command...
  local name=$1 n=$2 first=$3; shift 3
  sed -n "$((first + 1)),$((first + n))p" "$work/all.txt" >"$work/list.txt"
  /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >"$work/out.txt" || { tail -3 "$work/out.txt"; }
  read -r wall kb <"$work/time.txt"
  printf "| %s | %d | %.2f s | %.2f ms | %d MB | %s |\n" "$name" "$n" "$wall" "$(echo "$wall * 1000 / $n" | bc -l)" \
    $((kb / 1024)) "$(tail -1 "$work/out.txt")"
}
q="$build/tools/launcher/quorvelin"
first=0
for n in 1 10 100 1000; do
  run "sync NIT+BAT" "$n" "$first" "$q" sync --from 127.0.9.1 --from-port B --to-list "$work/list.txt" --tables NIT,BAT ${INFLIGHT:+--in-flight $INFLIGHT}
  first=$((first + n))
done
run "sync NIT+BAT again (in step)" 1000 111 "$q" sync --from 127.0.9.1 --from-port B --to-list "$work/list.txt" --tables NIT,BAT ${INFLIGHT:+--in-flight $INFLIGHT}
run "audit NIT+BAT" 1000 111 "$q" audit --devices "$work/list.txt" ${INFLIGHT:+--in-flight $INFLIGHT}
