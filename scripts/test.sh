#!/usr/bin/env bash
# The whole test run: installs what it needs, builds, checks that the C++
# sources are formatted and that docs/architecture.md names only real paths,
# runs every test, runs the engine tests again under AddressSanitizer +
# UndefinedBehaviorSanitizer, and fuzzes the engine and the page counter for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

bash scripts/install-deps.sh
# Real files from Debian packages. The tests that use them skip without
# them elsewhere; here they are fetched, so their absence fails the run.
if [ -f scripts/fetch-test-files.sh ]; then
  bash scripts/fetch-test-files.sh || echo "warning: real test files not fetched; their tests will fail"
fi
export VELMORA_REQUIRE_TEST_FILES=1

echo "== build"
bash scripts/build.sh
bash scripts/check-doc-paths.sh
bash scripts/check-format.sh
bash scripts/test-user.sh

echo "== tests"
export QT_QPA_PLATFORM=offscreen
(cd build && ctest --output-on-failure -j"$jobs" --timeout 600)

echo "== desktop and grid tests under a comma-decimal locale"
(cd build && LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 \
   ctest --output-on-failure -j"$jobs" --timeout 600 -L 'desktop|platform')

echo "== engine tests under ASan + UBSan"
cmake -S . -B build-asan -DVELMORA_ENGINE_ONLY=ON -DVELMORA_SANITIZE=ON \
      -DVELMORA_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j"$jobs" --timeout 900)

if [ -f tests/engine/fuzz/CMakeLists.txt ]; then
  echo "== fuzzing: the engine, and the page counter against the engine"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVELMORA_ENGINE_ONLY=ON -DVELMORA_FUZZ=ON \
        -DVELMORA_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build-fuzz -j"$jobs" --target engine_fuzz counter_fuzz
  # One time budget for both: three quarters to the engine.
  fuzz_seconds=${FUZZ_SECONDS:-60}
  bash tests/engine/fuzz/run.sh "$root/build-fuzz/bin/engine_fuzz" $((fuzz_seconds * 3 / 4))
  bash tests/engine/fuzz/run.sh "$root/build-fuzz/bin/counter_fuzz" $((fuzz_seconds - fuzz_seconds * 3 / 4))
fi
echo "== all tests passed"
