#!/usr/bin/env bash
# The Windows and GUI suites run again and again while busy loops keep every processor busy,
# to show that nothing the program waits for or compares by time fails under load. Not part
# of scripts/test.sh: it takes a long time and loads the whole machine.
#   bash scripts/stress.sh [RUNS] [FILTER]
#     RUNS    how many rounds (default 20)
#     FILTER  a --gtest_filter for both suites (default: every test)
#   LARK_STRESS_LOOPS  busy loops beside the suites (default 3)
#   LARK_STRESS_SUITES "windows gui" (default); gui32 runs the GUI suite against the 32-bit
#                      release program
# Prints one line per round and suite, then "N of M rounds passed"; exits non-zero when a round
# failed. The logs of failed rounds stay in build/stress/.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
RUNS=${1:-20}
FILTER=${2:-*}
LOOPS=${LARK_STRESS_LOOPS:-3}
SUITES=${LARK_STRESS_SUITES:-windows gui}

bash scripts/setup.sh || { echo "setup failed"; exit 2; }
presets=win64
case " $SUITES " in *" gui32 "*) presets="win64 win32-release" ;; esac
for preset in $presets; do
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j"$(nproc)" >/dev/null ||
    { echo "build $preset failed"; exit 2; }
done

. scripts/wine-env.sh
case " $SUITES " in
  *" gui32 "*) lark_runs_32bit || { echo "this machine runs no 32-bit programs: leave gui32 out"; exit 2; } ;;
esac
lark_start_xvfb
LARK_RECORD_URLS=1 lark_prepare_prefix
EXE64=$("$WINE" winepath -w "$ROOT/build/win64/larkmoor.exe" 2>/dev/null | tr -d '\r')
EXE32=$("$WINE" winepath -w "$ROOT/build/win32/larkmoor.exe" 2>/dev/null | tr -d '\r')
export LARK_SHOTS="$ROOT/build/stress/screenshots"
mkdir -p "$LARK_SHOTS"

busy=()
stop() {
  for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null; done
  lark_stop
}
trap stop EXIT
for _ in $(seq 1 "$LOOPS"); do
  (while :; do :; done) &
  busy+=($!)
done

passed=0
for round in $(seq 1 "$RUNS"); do
  ok=1
  for suite in $SUITES; do
    case $suite in
      windows) exe=build/win64/tests/lark_win_tests.exe ;;
      gui) exe=build/win64/tests/lark_gui_tests.exe LARK_EXE=$EXE64 ;;
      gui32) exe=build/win64/tests/lark_gui_tests.exe LARK_EXE=$EXE32 ;;
      *) echo "unknown suite $suite"; exit 2 ;;
    esac
    log=build/stress/$suite-$round.log
    start=$(date +%s)
    export LARK_EXE
    timeout --kill-after=10 1800 "$WINE" "$exe" --gtest_filter="$FILTER" --gtest_brief=1 >"$log" 2>&1
    rc=$?
    failed=$(grep -E '^\[  FAILED  \] [A-Za-z]' "$log" | sed 's/^\[  FAILED  \] //; s/ (.*//' | sort -u | tr '\n' ' ')
    if [ $rc -eq 0 ]; then
      echo "round $round $suite: passed ($(( $(date +%s) - start )) s)"
      rm -f "$log"
    else
      ok=0
      echo "round $round $suite: FAILED (exit $rc) ${failed}- see $log"
    fi
  done
  [ $ok -eq 1 ] && passed=$((passed + 1))
done
echo "$passed of $RUNS rounds passed"
[ "$passed" -eq "$RUNS" ]
