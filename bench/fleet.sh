#!/usr/bin/env bash
# Whole-command timings of many devices: sync of NIT and BAT from one simulated device to 1, 10,
# 100 and 1000 simulated devices (every port written and read back), and an audit of 1000, all
# over loopback with one quorvelin-devsim serving the fleet. Prints wall time, time per device and
# the command's peak memory (GNU time's maximum resident set size).
# usage: bench/fleet.sh [BUILD_DIR]   (default build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
work=$(mktemp -d)
trap 'kill $devsim $source 2>/dev/null || true; rm -rf "$work"' EXIT
# An address block of its own: 127.0.{10..13}.x for the fleet, 127.0.9.1 for the source.
"$build/tools/devsim/quorvelin-devsim" --listen 127.0.10.1-127.0.13.232 --sample >"$work/devsim.txt" &
devsim=$!
"$build/tools/devsim/quorvelin-devsim" --listen 127.0.9.1 --sample >"$work/source.txt" &
source=$!
until grep -q ready "$work/devsim.txt" 2>/dev/null && grep -q ready "$work/source.txt" 2>/dev/null; do sleep 0.1; done
python3 - "$work" <<'PY'
import ipaddress, sys
first = int(ipaddress.IPv4Address("127.0.10.1"))
with open(sys.argv[1] + "/all.txt", "w") as f:
    for i in range(1000):
        f.write(str(ipaddress.IPv4Address(first + i)) + "\n")
PY
printf "| work | devices | wall time | per device | peak memory | result |\n|---|---|---|---|---|---|\n"
run() {  # name, devices, command...
  local name=$1 n=$2; shift 2
  head -n "$n" "$work/all.txt" >"$work/list.txt"
  /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >"$work/out.txt" || { tail -3 "$work/out.txt"; }
  read -r wall kb <"$work/time.txt"
  printf "| %s | %d | %.2f s | %.2f ms | %d MB | %s |\n" "$name" "$n" "$wall" "$(echo "$wall * 1000 / $n" | bc -l)" \
    $((kb / 1024)) "$(tail -1 "$work/out.txt")"
}
q="$build/tools/launcher/quorvelin"
for n in 1 10 100 1000; do
  run "sync NIT+BAT" "$n" "$q" sync --from 127.0.9.1 --from-port B --to-list "$work/list.txt" --tables NIT,BAT
done
run "audit NIT+BAT" 1000 "$q" audit --devices "$work/list.txt"
