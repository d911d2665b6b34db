#!/usr/bin/env bash
# Time of `velmora --panic` from start to exit (the request answered by the running copy), on a
# private session bus with a copy of the program running offscreen. Run by hand:
#   bench/panic-command-latency.sh [build dir] [runs]
set -euo pipefail
build=$(realpath "${1:-build}")
runs=${2:-30}
[[ -n "${VELMORA_BENCH_INNER:-}" ]] || exec env VELMORA_BENCH_INNER=1 dbus-run-session -- "$0" "$build" "$runs"

work=$(mktemp -d)
trap 'kill "$running" 2>/dev/null; wait "$running" 2>/dev/null; rm -rf "$work"' EXIT
# A copy under another name, so a Velmora of the desktop's own is not taken for a first copy.
cp "$build/velmora" "$work/velmora-bench"
HOME=$work XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen "$work/velmora-bench" \
    >"$work/log" 2>&1 &
running=$!
until "$build/velmora" --panic 2>/dev/null; do
    kill -0 "$running" || { cat "$work/log"; exit 1; }
done

python3 - "$build/velmora" "$runs" <<'PY'
import statistics, subprocess, sys, time
program, runs = sys.argv[1], int(sys.argv[2])
times = []
for _ in range(runs):
    start = time.perf_counter()
    subprocess.run([program, "--panic"], check=True)
    times.append((time.perf_counter() - start) * 1000)
print(f"velmora --panic over {runs} runs: median {statistics.median(times):.1f} ms, "
      f"min {min(times):.1f} ms, max {max(times):.1f} ms")
PY
echo "panic lines logged by the running copy: $(grep -c 'Panic key activated' "$work/log")"
