#!/usr/bin/env bash
# Sets up the machine, builds Skyrill and runs every test twice: in a
# release build and in a debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer. Also checks the formatting.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

bash "$root/scripts/setup.sh"

run_suite() {
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" -G Ninja -DSKYRILL_WERROR=ON "$@" > "$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log"; return 1; }
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

mkdir -p "$root/build"

echo "== Release build and tests"
run_suite "$root/build/release" -DCMAKE_BUILD_TYPE=Release

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0
run_suite "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DSKYRILL_SANITIZE=ON

echo "== Formatting"
cd "$root"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "formatting ok"
