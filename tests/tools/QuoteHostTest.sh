#!/bin/sh
# The example host against the simulator over TCP on the loopback address.
# The simulator takes any free port and prints it; the host connects, logs
# in, subscribes to two codes and must print quotes of both. Both programs
# bound their own time, so the test cannot hang.
#   QuoteHostTest.sh SIMULATOR HOST WORKDIR
set -eu
sim=$1
host=$2
dir=$3
mkdir -p "$dir"
: > "$dir/sim.out"
"$sim" serve --port 0 --rounds 3 --interval 50 --timeout 20 > "$dir/sim.out" &
sim_pid=$!
port=
tries=0
while [ -z "$port" ] && [ $tries -lt 100 ]; do
  sleep 0.1
  port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$dir/sim.out")
  tries=$((tries + 1))
done
if [ -z "$port" ]; then
  kill "$sim_pid" 2>/dev/null || true
  echo "the simulator did not start listening"
  exit 1
fi
status=0
"$host" "$port" 600000.SH 0700.HK > "$dir/host.out" || status=$?
wait "$sim_pid" || status=$?
cat "$dir/host.out"
[ $status -eq 0 ]
grep -q '^logged in as demo' "$dir/host.out"
grep -q '^quote 600000\.SH 2=' "$dir/host.out"
grep -q '^quote 0700\.HK 2=' "$dir/host.out"
