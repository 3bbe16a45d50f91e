#!/usr/bin/env bash
# The nuv tool beside GeographicLib's GeoConvert: UTM of 10^6 positions read
# from standard input. Both outputs are checked to agree to the printed
# precision (1 mm) before the times count. Writes the result as the JSON
# that bench_table reads.
#
#   cli_bench.sh NUV OUT.json
set -euo pipefail
nuv=$1
out=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# Positions across the UTM range, the same every run.
awk 'BEGIN { srand(20261209); for (i = 0; i < 1000000; i++)
             printf "%.7f %.7f\n", -79.9 + 163.8 * rand(), -179.9 + 359.8 * rand() }' > "$dir/in.txt"

# CPU seconds (user + system) of one run; its output goes to $dir/$1.out.
run() {
  local name=$1
  shift
  local TIMEFORMAT='%3U %3S'
  { time "$@" < "$dir/in.txt" > "$dir/$name.out" 2> /dev/null; } 2> "$dir/$name.time"
  awk '{ print $1 + $2 }' "$dir/$name.time"
}

# Median of three runs, in milliseconds.
median_ms() {
  local name=$1
  shift
  for _ in 1 2 3; do run "$name" "$@"; done | sort -g | awk 'NR == 2 { print $1 * 1000 }'
}

ours=$(median_ms nuv "$nuv" geo --to utm --precision 3)
peer=$(median_ms peer GeoConvert -u -p 3)

# Zones by number (GeoConvert writes the hemisphere, nuv the band letter),
# easting and northing to the millimetre, with one unit of rounding slack.
if ! paste -d ' ' "$dir/nuv.out" "$dir/peer.out" | awk '
    { z1 = $1; z2 = $4; sub(/[A-Za-z]+$/, "", z1); sub(/[A-Za-z]+$/, "", z2)
      if (z1 + 0 != z2 + 0 || ($2 - $5) ^ 2 > 2.3e-6 || ($3 - $6) ^ 2 > 2.3e-6) { print NR ": " $0; bad = 1; exit } }
    END { if (NR != 1000000) { print "line count " NR; bad = 1 } exit bad }'; then
  echo "benchmark check failed: nuv geo and GeoConvert disagree" >&2
  exit 1
fi

cat > "$out" <<JSON
{"benchmarks": [
 {"name": "nuv geo --to utm, 10^6 lines/nuv", "run_type": "aggregate", "aggregate_name": "median",
  "cpu_time": $ours, "real_time": $ours, "time_unit": "ms", "target": 1.0},
 {"name": "nuv geo --to utm, 10^6 lines/GeoConvert -u", "run_type": "aggregate", "aggregate_name": "median",
  "cpu_time": $peer, "real_time": $peer, "time_unit": "ms"}
]}
JSON
