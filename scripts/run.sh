#!/usr/bin/env bash
# Sets up the machine, builds Skyrill, starts the local sample data service and
# shows a day from it: in the window when a display is available, as the
# command-line day report otherwise.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build/release
port=${SKYRILL_PORT:-8765}
server=http://127.0.0.1:$port

bash "$root/scripts/setup.sh"
mkdir -p "$build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > "$build.configure.log" 2>&1 ||
  { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j "$(nproc)" --target skyrill skyrill-day skyrill-sample-service

"$build/tools/sample-service/skyrill-sample-service" --port "$port" --key demo &
service=$!
trap 'kill "$service" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  # The demo key and the sample service, as data service and as station
  # directory, go into the settings beside the program the first time; press
  # "&G.获取" to fetch a day, "&C.选择站点" to pick a station.
  settings=$build/app/Stormbook.ini
  [[ -f $settings ]] ||
    printf '[Api]\nApiKey="demo"\nServer=%s\nDirectory=%s\n' "$server" "$server" > "$settings"
  # Settings from before the picker learn the local directory too.
  grep -q '^Directory=' "$settings" || sed -i "/^\[Api\]/a Directory=$server" "$settings"
  "$build/app/skyrill"
else
  echo "No display found (DISPLAY is not set): showing the day as the headless report."
  day=$(date -d yesterday +%Y-%-m-%-d)
  saved=$build/0_58453_0_$(date -d yesterday +%Y%m%d).json
  "$build/tools/skyrill-day/skyrill-day" --station 58453 --date "$day" --key demo \
    --server "$server" --save "$saved"
  echo
  echo "The saved answer $saved, shown again from the file with its 24 hour slots:"
  "$build/tools/skyrill-day/skyrill-day" --slots "$saved"
fi
