#!/usr/bin/env bash
# Sets up and builds the project, then runs every test: the suite, the same
# suite built with AddressSanitizer and UndefinedBehaviorSanitizer, a
# short fuzz run of picture taking and enemy file reading over their
# committed inputs, and the Debian package.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen

failures=0  # parts of the run that failed
passed=0    # tests passed, over both suites, the fuzz run and the package checks
failed=0    # tests failed
closing=()

# run_suite BUILD_DIR: ctest there; keeps its closing line and counts.
run_suite() {
  local log line total bad
  log=$(mktemp)
  echo "=== ctest in $1"
  # Three at a time on two cores: several window tests spend much of their
  # time waiting for a build they watch to end, and leave a core idle.
  if ! ctest --test-dir "$1" --output-on-failure --parallel 3 2>&1 | tee "$log"; then failures=$((failures + 1)); fi
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  rm -f "$log"
  if [ -z "$line" ]; then  # a suite that ran nothing has failed
    closing+=("$1: no tests ran")
    failures=$((failures + 1))
    return
  fi
  closing+=("$line")
  bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

# Picture taking and enemy file reading fuzzed for a bounded time, split
# between the targets (any bytes from bitmap seeds, the PNG path, the GIF
# path, the JPEG path, the WebP path, the enemy file reader), each from its
# committed seeds and every past find; new inputs go to a scratch folder, a
# find to build-asan/. Each target is one process on one core, so two run at
# a time; their reports follow in this order.
# Each entry: target:seeds:dictionary:past finds.
fuzz_targets=(fuzz_picture:corpus::regressions fuzz_png:corpus-png:png.dict:regressions
  fuzz_gif:corpus-gif:gif.dict:regressions fuzz_jpeg:corpus-jpeg::regressions fuzz_webp:corpus-webp::regressions
  fuzz_reader:corpus-reader:reader.dict:regressions-reader)
fuzz_seconds=7  # each: 42 in all
fuzz_at_once=2

# fuzz_start ENTRY: starts one target in the background; its output goes to
# build-asan/TARGET.log, its exit status to build-asan/TARGET.status.
fuzz_start() {
  local target seeds dict finds options
  IFS=: read -r target seeds dict finds <<<"$1"
  options=(-max_total_time=$fuzz_seconds -rss_limit_mb=300 -timeout=10 -print_final_stats=1
    -artifact_prefix="$root/build-asan/$target-")
  if [ -n "$dict" ]; then options+=(-dict="$root/fuzz/$dict"); fi
  echo "=== fuzz: $target for $fuzz_seconds seconds"
  (
    scratch=$(mktemp -d)
    status=0
    ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=32 "$root/build-asan/fuzz/$target" "${options[@]}" \
      "$scratch" "$root/fuzz/$seeds" "$root/fuzz/$finds" >"$root/build-asan/$target.log" 2>&1 || status=$?
    rm -rf "$scratch"
    echo "$status" >"$root/build-asan/$target.status"
  ) &
}

# fuzz_judge ENTRY: after the target has finished, counts its outcome.
fuzz_judge() {
  local target log runs
  target=${1%%:*}
  log="$root/build-asan/$target.log"
  if [ "$(cat "$root/build-asan/$target.status" 2>/dev/null)" = 0 ]; then
    runs=$(grep -E 'number_of_executed_units' "$log" | awk '{print $2}' || true)
    closing+=("fuzz: $target, no crash in ${runs:-?} runs")
    passed=$((passed + 1))
  else
    tail -n 60 "$log"
    closing+=("fuzz: $target FAILED, see $log and the $target-crash- file beside it")
    failures=$((failures + 1))
    failed=$((failed + 1))
  fi
}

# fuzz_all: every target, fuzz_at_once at a time.
fuzz_all() {
  for ((i = 0; i < ${#fuzz_targets[@]}; i += fuzz_at_once)); do
    batch=("${fuzz_targets[@]:i:fuzz_at_once}")
    for entry in "${batch[@]}"; do
      rm -f "$root/build-asan/${entry%%:*}.status"
      fuzz_start "$entry"
    done
    wait
    for entry in "${batch[@]}"; do fuzz_judge "$entry"; done
  done
}

run_suite "$root/build"

# One instrumented tree for the rest: the whole suite again under the
# sanitizers, where a leak, an invalid access or undefined behaviour fails
# the test it happens in, and the fuzz targets, which need the same
# sanitizers and coverage instrumentation of everything they link. Sharing
# the tree saves compiling the libraries a third time. Only what the suite
# and the fuzz run use is built there: the benchmarks are timed in build/.
# -O1 with line tables is what the sanitizers and fuzzing need for speed and
# for their reports, and compiles in half the time of -O2 with full debug
# information. clang builds this tree, as it does build/: with the
# sanitizers it compiles in two thirds of the time g++ takes.
echo "=== sanitizers and fuzzing: configuring and building build-asan with clang"
if ! { CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPALVORN_FUZZ=ON -DPALVORN_BENCH=OFF "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" >/dev/null &&
  cmake --build "$root/build-asan"; }; then
  closing+=("sanitizers and fuzzing: build-asan did not build")
  failures=$((failures + 1))
  failed=$((failed + 1))
else
  export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
  run_suite "$root/build-asan"
  unset ASAN_OPTIONS UBSAN_OPTIONS
  fuzz_all
fi

# The Debian package made from build/, checked as a user receives it; each
# of its checks counts as one test.
log=$(mktemp)
if ! "$root/scripts/check-package.sh" "$root/build" 2>&1 | tee "$log"; then failures=$((failures + 1)); fi
line=$(grep -E '^package: [0-9]+ passed, [0-9]+ failed$' "$log" | tail -n 1 || true)
rm -f "$log"
if [ -z "$line" ]; then
  closing+=("package: the check did not finish")
  failures=$((failures + 1))
  failed=$((failed + 1))
else
  closing+=("$line")
  passed=$((passed + $(sed -E 's/package: ([0-9]+) passed.*/\1/' <<<"$line")))
  failed=$((failed + $(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$line")))
fi

echo "=== summary: suite, sanitizer suite, fuzz run, package"
printf '%s\n' "${closing[@]}"
echo "total: $passed passed, $failed failed"
((failures == 0))
