#!/usr/bin/env bash
# CPU of the desktop program and of the meter while the program streams from
# a meter that answers at once: voltora-sim on a raw socket (127.0.0.1, no
# reply latency), the program connected to it with the math view shown (its
# start-up view), measured over a window of 20 s after 5 s of settling.
# Prints one line per run and the median of each side in percent of one core.
#
#   bench/app/streaming_cpu.sh [runs] [voltora binary] [voltora-sim binary]
#
# Needs an X display (run it under xvfb-run -a).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
runs="${1:-3}"
program="${2:-$root/build/src/app/voltora}"
sim="${3:-$root/build/src/sim/server/voltora-sim}"
port=$((20000 + RANDOM % 20000))
ticks=$(getconf CLK_TCK)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

app_results=()
sim_results=()
for run in $(seq "$runs"); do
  "$sim" --no-vxi11 --no-rpcbind --socket-port "$port" --latency-us 0 >/dev/null 2>&1 &
  sim_pid=$!
  sleep 1
  # A settings directory of its own: the run does not touch the user's.
  HOME="$scratch" XDG_CONFIG_HOME="$scratch" \
    "$program" --resource "TCPIP0::127.0.0.1::$port::SOCKET" >/dev/null 2>&1 &
  app_pid=$!
  sleep 5
  a0=$(cpu_ticks "$app_pid"); s0=$(cpu_ticks "$sim_pid"); t0=$(date +%s.%N)
  sleep 20
  a1=$(cpu_ticks "$app_pid"); s1=$(cpu_ticks "$sim_pid"); t1=$(date +%s.%N)
  kill "$app_pid"; wait "$app_pid" 2>/dev/null || true
  kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true
  app=$(python3 -c "print(round(100*($a1-$a0)/$ticks/($t1-$t0), 1))")
  meter=$(python3 -c "print(round(100*($s1-$s0)/$ticks/($t1-$t0), 1))")
  echo "run $run: program $app %, meter $meter %"
  app_results+=("$app")
  sim_results+=("$meter")
done
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
echo "median: program $(median "${app_results[@]}") %, meter $(median "${sim_results[@]}") %"
