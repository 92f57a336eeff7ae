#!/usr/bin/env bash
# Puts the built programs in the way of trouble from outside and checks how
# they come out of it:
#   1. an earlier version's History moved into a data folder on a file system
#      too small for it (a tmpfs with size=, which needs root), told with its
#      cause; then, with room, finished at the next start with every day there;
#   2. a file written onto that full file system, told with its cause;
#   3. a year fetched from a port nothing listens on: status 1 within 30 s;
#   4. a service whose answers never end: the fetch stays within the memory
#      bound of a day's largest answer for each request in flight.
# Usage: scripts/fault-injection.sh [BUILD_DIR]   (default build/release)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
fetch=$build/tools/skyrill-fetch/skyrill-fetch
summary=$build/tools/skyrill-summary/skyrill-summary
day=$build/tools/skyrill-day/skyrill-day
service=$build/tools/sample-service/skyrill-sample-service

scratch=$(mktemp -d)
mounted=""
service_pid=""
cleanup() {
  if [ -n "$service_pid" ]; then kill "$service_pid" 2> /dev/null || true; fi
  if [ -n "$mounted" ]; then umount "$mounted" 2> /dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# Starts the sample service with the given options; sets $service_url.
start_service() {
  "$service" --port 0 "$@" > "$scratch/service.out" 2>&1 &
  service_pid=$!
  for _ in $(seq 100); do
    service_url=$(grep -o 'http://[0-9.:]*' "$scratch/service.out" | head -n 1 || true)
    [ -n "$service_url" ] && return 0
    sleep 0.05
  done
  fail "the sample service did not start"
}

stop_service() {
  kill "$service_pid"
  wait "$service_pid" 2> /dev/null || true
  service_pid=""
}

# ---- 1 and 2: a data folder on a file system that fills up ----------------
echo "== An earlier version's History on a full file system"
if mount -t tmpfs -o size=64k tmpfs "$(mkdir -p "$scratch/data" && echo "$scratch/data")" 2> /dev/null; then
  mounted=$scratch/data
  bin=$scratch/prefix/bin
  mkdir -p "$bin" "$scratch/home"
  cp "$summary" "$bin/"
  touch "$bin/skyrill"  # the window beside the tools: an installation
  start_service
  "$fetch" --station 54511 --from 2024-01-01 --to 2024-03-31 --key demo --rate 0 \
    --server "$service_url" --into "$bin/History" 2> /dev/null || fail "fetching the old days"
  stop_service
  days=$(find "$bin/History" -name '*.json' | wc -l)
  run_summary() {
    env HOME="$scratch/home" XDG_DATA_HOME="$scratch/data" "$bin/skyrill-summary" "$@"
  }
  status=0
  run_summary "$root/samples/0_57083_0_20190705.json" > /dev/null 2> "$scratch/first.err" || status=$?
  cat "$scratch/first.err"
  grep -q "an earlier version's files are still in $bin/History, not all moved to .*: no space left on the device; each start tries again" \
    "$scratch/first.err" || fail "the move cut short was not told with its cause"
  moved=$(find "$scratch/data" -name '*.json' | wc -l)
  left=$(find "$bin/History" -name '*.json' | wc -l)
  [ $((moved + left)) -eq "$days" ] || fail "days lost: $moved moved, $left left of $days"
  echo "cut short: $moved of $days days moved, $left still in $bin/History"

  # A file written there meets the same full disk.
  status=0
  "$day" --csv "$scratch/data/day.csv" "$root/samples/0_57083_0_20190705.json" > /dev/null \
    2> "$scratch/csv.err" || status=$?
  cat "$scratch/csv.err"
  [ "$status" -eq 1 ] && grep -q "cannot write $scratch/data/day.csv: no space left on the device" \
    "$scratch/csv.err" || fail "a write onto the full disk did not say so (status $status)"

  mount -o remount,size=16m "$scratch/data"
  run_summary "$scratch/data/skyrill/History" > "$scratch/summary.csv" 2> "$scratch/second.err" ||
    fail "the second start: $(cat "$scratch/second.err")"
  [ ! -s "$scratch/second.err" ] || fail "the second start still complains: $(cat "$scratch/second.err")"
  [ ! -e "$bin/History" ] || fail "the old History is still there"
  rows=$(($(wc -l < "$scratch/summary.csv") - 1))
  [ "$rows" -eq "$days" ] || fail "the summary of the moved History shows $rows of $days days"
  echo "finished at the next start: all $days days in the data folder, each in the summary"
else
  echo "skipped: mounting a small tmpfs needs root"
fi

# ---- 3: a year against a closed port ---------------------------------------
echo "== A year against a port nothing listens on"
# The port of a service that has just stopped.
start_service
closed=$service_url
stop_service
start=$(date +%s%N)
status=0
"$fetch" --station 54511 --from 2024-01-01 --to 2024-12-31 --key demo --rate 0 \
  --server "$closed" --into "$scratch/closed" 2> "$scratch/closed.err" || status=$?
milliseconds=$((($(date +%s%N) - start) / 1000000))
grep "skyrill-fetch: 连续" "$scratch/closed.err" || true
echo "status $status after $milliseconds ms"
[ "$status" -eq 1 ] || fail "status $status, not 1"
[ "$milliseconds" -lt 30000 ] || fail "took $milliseconds ms"

# ---- 4: answers that never end ----------------------------------------------
echo "== A service whose answers never end, 16 requests in flight"
start_service --fault huge-body
jobs=16
peak_kib=$( { /usr/bin/time -f '%M' "$fetch" --station 54511 --from 2024-01-01 --to 2024-12-31 \
  --jobs $jobs --key demo --rate 0 --server "$service_url" --into "$scratch/huge" 2>&1 > /dev/null ||
  true; } | tail -n 1)
stop_service
# A day's largest answer (16 MiB) and a little for each request, and the program.
bound_kib=$((jobs * 20 * 1024 + 32 * 1024))
echo "peak resident size ${peak_kib} KiB (bound ${bound_kib} KiB)"
[ "$peak_kib" -le "$bound_kib" ] || fail "the fetch took $peak_kib KiB"

echo "fault injection: all as expected"
