#!/usr/bin/env bash
# The exec gate's cost: 2,000 exec+exit of an unrelated program by a gated user without and with
# the gate, the time of a refused exec, and the gate's idle RSS. Run as root.
# Usage: bench/exec-gate.sh <build folder>
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$(dirname "$0")/.." && pwd)
user=65534
work=$(mktemp -d /tmp/velmora-gate-bench-XXXXXX)
chmod 755 "$work"
bus=$(dbus-daemon --config-file="$source/tests/data/gate-system-bus.conf" --fork \
    --print-address=1 --print-pid=1)
address=$(echo "$bus" | head -1)
trap 'kill $(echo "$bus" | tail -1) ${gate:-} 2>/dev/null; rm -rf "$work"' EXIT
export DBUS_SYSTEM_BUS_ADDRESS=$address

cp "$build/tests/velmora-test-app" "$work/app" 2>/dev/null || cp "$build/velmora-test-app" "$work/app"
id=$(python3 -c "import subprocess,sys; print('build-id:'+subprocess.run(['readelf','-n',sys.argv[1]],capture_output=True,text=True).stdout.split('Build ID: ')[1].split()[0])" "$work/app")
as_user() { setpriv --reuid=$user --regid=$user --clear-groups "$@"; }
execs() { as_user bash -c 'start=$(date +%s%N); for i in $(seq 2000); do /bin/true; done; echo $(( ($(date +%s%N) - start) / 1000000 ))'; }

without=$(execs)
"$build/velmora-gate" --foreground --state-dir "$work/state" >"$work/gate.log" 2>&1 &
gate=$!
until grep -q "velmora-gate: ready" "$work/gate.log"; do sleep 0.05; done
as_user gdbus call --system --dest com.tarnwick.VelmoraGate --object-path /com/tarnwick/VelmoraGate \
    --method com.tarnwick.VelmoraGate1.SetPolicy true false \
    "[('bench', 'Bench', ['$work/app'], ['$id'], ['00000000-0000-0000-0000-00000000dead'])]" >/dev/null
with=$(execs)
refused=$(as_user bash -c "start=\$(date +%s%N); for i in \$(seq 200); do '$work/app' 2>/dev/null; done; echo \$(( (\$(date +%s%N) - start) / 200000 ))")
sleep 2
rss=$(awk '/VmRSS/ {print $2}' /proc/$gate/status)
cpu=$(awk '{print $14 + $15}' /proc/$gate/stat)
sleep 5
cpu_after=$(awk '{print $14 + $15}' /proc/$gate/stat)
echo "2000 execs without the gate: ${without} ms; with it: ${with} ms"
echo "refused exec (shell fork + execve + EPERM): ${refused} us"
echo "gate idle RSS: ${rss} kB; CPU ticks in 5 s idle: $((cpu_after - cpu))"
