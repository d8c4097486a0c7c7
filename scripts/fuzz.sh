#!/usr/bin/env bash
# Fuzzes every reader of outside data for a fixed time each: scripts/fuzz.sh [seconds] [reader ...]
# (default 30 s, all readers). Needs clang with libFuzzer; without it, says so and passes.
# Each target starts from its seed corpus (tests/fuzz/corpus/<reader>); new inputs go to a
# scratch folder, never into the checked-in corpus. A crash leaves its input in
# build-fuzz/crashes/<reader>/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
readers=("$@")
[ ${#readers[@]} -gt 0 ] || readers=(jianpu musicxml mxl midi exchange preferences results banner bannerpage)

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ not found; skipped (scripts/setup.sh installs it)"
  exit 0
fi
# clang without its libFuzzer runtime (libclang-rt-*-dev) cannot link the targets.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' >"$probe/p.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$probe/p.cpp" -o "$probe/p" >/dev/null 2>&1; then
  echo "fuzz: clang++ cannot link libFuzzer targets; skipped (scripts/setup.sh installs libclang-rt-14-dev)"
  exit 0
fi
cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j"${TAVO_FUZZ_JOBS:-2}" --target $(printf 'fuzz_%s ' "${readers[@]}") >/dev/null

export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
# Leaks are the readers' faults as well; halt at the first report of any kind.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:symbolize=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
for r in "${readers[@]}"; do
  # New inputs and the readers' scratch files go to memory when it can: the readers sync
  # what they write, and a disk would then set the pace.
  shm=/dev/shm
  [ -d "$shm" ] && [ -w "$shm" ] || shm=${TMPDIR:-/tmp}
  work=$(mktemp -d "$shm/tavo-fuzz.XXXXXX")
  mkdir "$work/new" "$work/tmp"
  crashes=build-fuzz/crashes/$r
  mkdir -p "$crashes"
  log=build-fuzz/fuzz_$r.log
  dict=()
  [ -f tests/fuzz/dict/"$r".dict ] && dict=(-dict=tests/fuzz/dict/"$r".dict)
  set +e
  TMPDIR="$work/tmp" build-fuzz/fuzz/fuzz_"$r" "$work/new" tests/fuzz/corpus/"$r" "${dict[@]}" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="$crashes/" -print_final_stats=1 >"$log" 2>&1
  rc=$?
  set -e
  rm -rf "$work"
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  if [ $rc -eq 0 ]; then
    echo "fuzz $r: ${runs:-?} runs in ${seconds} s, nothing found"
  else
    echo "fuzz $r: FAILED after ${runs:-?} runs (exit $rc); input in $crashes/, log $log"
    grep -m3 -E 'ERROR:|runtime error:|SUMMARY:' "$log" || tail -5 "$log"
    failed+=("$r")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: faults in ${failed[*]}"
  exit 1
fi
