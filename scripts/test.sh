#!/usr/bin/env bash
# The whole test run: installs what is missing, builds the three builds, then runs the
# native unit tests, the Windows tests under Wine, the GUI tests under Wine and Xvfb against
# the 64-bit program and again against the 32-bit release program, and the release program's
# checks (scripts/check_release.sh).
# Prints each runner's summary and ends with one line "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

bash scripts/setup.sh || { echo "setup failed"; exit 2; }

build() {
  local preset=$1
  echo "== build: $preset"
  cmake --preset "$preset" >"build-$preset.log" 2>&1 &&
    cmake --build --preset "$preset" -j"$(nproc)" >>"build-$preset.log" 2>&1
  local rc=$?
  if [ $rc -ne 0 ]; then tail -40 "build-$preset.log"; echo "build $preset failed"; fi
  rm -f "build-$preset.log"
  return $rc
}
# Every C/C++ file as the repository's .clang-format makes it (Debian's clang-format 14, which
# the setup script installs): a file that drifts fails the run.
echo "== format"
drift=$(git ls-files '*.cpp' '*.h' | xargs clang-format-14 --dry-run 2>&1 | grep -oE '^[^:]+:[0-9]+:[0-9]+: warning' | cut -d: -f1 | sort -u)
if [ -z "$drift" ]; then fmt_pass=1 fmt_fail=0; else fmt_pass=0 fmt_fail=1; echo "not formatted: $drift"; fi
echo "format: $fmt_pass passed, $fmt_fail failed"

mkdir -p build
build native || exit 2
build win64 || exit 2
build win32-release || exit 2

. scripts/wine-env.sh
trap lark_stop EXIT
lark_start_xvfb
LARK_RECORD_URLS=1 lark_prepare_prefix

total_pass=$fmt_pass
total_fail=$fmt_fail
failed_suites=()
[ "$fmt_fail" -ne 0 ] && failed_suites+=("format")
run_suite() {
  local name=$1 limit=$2
  shift 2
  echo "== $name"
  local log="build/$name.log"
  timeout --kill-after=10 "$limit" "$@" --gtest_brief=1 >"$log" 2>&1
  local rc=$?
  grep -v -E '^Running main\(\)' "$log" | grep -E '^\[  (FAILED|PASSED) |^\[==========\]|Failure|error:|Expected|Which is|Value of|Actual|^  ' | head -200
  local p f
  p=$(grep -oE '^\[  PASSED  \] [0-9]+' "$log" | grep -oE '[0-9]+$' | tail -1)
  f=$(grep -oE '^\[  FAILED  \] [0-9]+ test' "$log" | grep -oE '[0-9]+' | tail -1)
  p=${p:-0}
  f=${f:-0}
  if [ $rc -ne 0 ] && [ "$f" -eq 0 ]; then
    echo "$name: runner exited with code $rc"
    tail -20 "$log"
    f=1
  fi
  total_pass=$((total_pass + p))
  total_fail=$((total_fail + f))
  [ "$f" -ne 0 ] && failed_suites+=("$name")
  echo "$name: $p passed, $f failed"
}

# A small disk for the backup that fills its disk half-way: a 4 MiB tmpfs as drive S: of the
# prefix (needs root, as CI has; the test is skipped without it).
SMALL_DISK=$ROOT/build/small-disk
mkdir -p "$SMALL_DISK"
if mountpoint -q "$SMALL_DISK" || mount -t tmpfs -o size=4m tmpfs "$SMALL_DISK" 2>/dev/null; then
  touch "$SMALL_DISK/larkmoor-small-disk"
  ln -sfn "$SMALL_DISK" "$WINEPREFIX/dosdevices/s:"
fi
unmount_small_disk() { mountpoint -q "$SMALL_DISK" && umount "$SMALL_DISK"; rm -f "$WINEPREFIX/dosdevices/s:"; }
trap 'lark_stop; unmount_small_disk' EXIT

run_suite native 600 build/native/tests/lark_native_tests
run_suite windows 900 "$WINE" build/win64/tests/lark_win_tests.exe
unmount_small_disk

# The checksum list a backup under Wine wrote, read by the host's own sha256sum: it verifies,
# and a file changed afterwards fails the check.
echo "== manifest"
CHECK=$WINEPREFIX/drive_c/windows/temp/larkmoor-manifest-check
mp=0 mf=0
if (cd "$CHECK" 2>/dev/null && sha256sum -c --quiet Larkmoor.sha256); then mp=$((mp + 1)); else mf=$((mf + 1)); echo "sha256sum -c failed on a fresh backup"; fi
printf 'x' >>"$CHECK/Main Identity/Folders.dbx" 2>/dev/null
if (cd "$CHECK" 2>/dev/null && ! sha256sum -c --quiet Larkmoor.sha256 >/dev/null 2>&1); then mp=$((mp + 1)); else mf=$((mf + 1)); echo "sha256sum -c passed a changed file"; fi
rm -rf "$CHECK"
# Five backups with three kept: the top and each kept backup verify by their own list.
KEPT=$WINEPREFIX/drive_c/windows/temp/larkmoor-kept-check
lists=0
for dir in "$KEPT" "$KEPT/Earlier Backups"/*; do
  if (cd "$dir" 2>/dev/null && sha256sum -c --quiet Larkmoor.sha256); then lists=$((lists + 1)); else echo "sha256sum -c failed in ${dir#$KEPT}"; fi
done
if [ "$lists" -eq 3 ]; then mp=$((mp + 1)); else mf=$((mf + 1)); echo "kept backups: $lists of 3 lists verified"; fi
rm -rf "$KEPT"
# The list of an export under Wine, likewise: every .eml file it names verifies.
EXPORT_CHECK=$WINEPREFIX/drive_c/windows/temp/larkmoor-export-check
if (cd "$EXPORT_CHECK" 2>/dev/null && sha256sum -c --quiet Larkmoor.sha256); then mp=$((mp + 1)); else mf=$((mf + 1)); echo "sha256sum -c failed on an export's list"; fi
rm -rf "$EXPORT_CHECK"
echo "manifest: $mp passed, $mf failed"
total_pass=$((total_pass + mp))
total_fail=$((total_fail + mf))
[ "$mf" -ne 0 ] && failed_suites+=("manifest")
# The tests' store writer read by an independent reader, Debian's undbx: each store it writes
# must give back exactly the messages written into it, so that the writer and the program
# cannot agree on a wrong reading of the format.
echo "== undbx"
UNDBX=$ROOT/build/undbx-check
rm -rf "$UNDBX" && mkdir -p "$UNDBX/out"
up=0 uf=0
if build/native/tests/lark_dbx_samples "$UNDBX"; then
  for store in One Ten Many; do
    mkdir -p "$UNDBX/out/$store"
    timeout 120 undbx -v 0 "$UNDBX/$store.dbx" "$UNDBX/out/$store" >/dev/null 2>&1
    want=$(for f in "$UNDBX/$store".*.expected; do sha256sum <"$f"; done | sort)
    got=$(find "$UNDBX/out/$store" -name '*.eml' -exec sh -c 'sha256sum <"$1"' _ {} \; | sort)
    if [ -n "$want" ] && [ "$want" = "$got" ]; then up=$((up + 1)); else uf=$((uf + 1)); echo "undbx read $store.dbx otherwise than it was written"; fi
  done
else
  uf=1
  echo "the sample stores could not be written"
fi
rm -rf "$UNDBX"
echo "undbx: $up passed, $uf failed"
total_pass=$((total_pass + up))
total_fail=$((total_fail + uf))
[ "$uf" -ne 0 ] && failed_suites+=("undbx")
LARK_EXE=$("$WINE" winepath -w "$ROOT/build/win64/larkmoor.exe" 2>/dev/null | tr -d '\r')
export LARK_EXE
export LARK_SHOTS="$ROOT/build/screenshots"
mkdir -p "$LARK_SHOTS"
run_suite gui 900 "$WINE" build/win64/tests/lark_gui_tests.exe

# The same GUI suite against the 32-bit release program, the one people are given, under
# Wine's 32-bit half (WoW64 in the same prefix): the driver stays 64-bit and drives it from
# outside.
# A machine whose kernel runs no 32-bit programs cannot run it at all: the suite is skipped,
# and said so, rather than failed for the machine's sake.
if lark_runs_32bit; then
  LARK_EXE=$("$WINE" winepath -w "$ROOT/build/win32/larkmoor.exe" 2>/dev/null | tr -d '\r')
  LARK_SHOTS="$ROOT/build/screenshots/win32"
  mkdir -p "$LARK_SHOTS"
  run_suite gui32 900 "$WINE" build/win64/tests/lark_gui_tests.exe
else
  echo "== gui32"
  echo "gui32: skipped: this machine runs no 32-bit programs (its kernel refuses ${WINE%64}), so Wine's 32-bit half cannot start"
fi

# The release program's own checks (size, strip, version resource, imports) count as a
# fourth suite.
echo "== release"
release_out=$(bash scripts/check_release.sh 2>&1)
echo "$release_out"
p=$(sed -n 's/^release: \([0-9]*\) passed, \([0-9]*\) failed$/\1/p' <<<"$release_out")
f=$(sed -n 's/^release: \([0-9]*\) passed, \([0-9]*\) failed$/\2/p' <<<"$release_out")
p=${p:-0}
f=${f:-1}
total_pass=$((total_pass + p))
total_fail=$((total_fail + f))
[ "$f" -ne 0 ] && failed_suites+=(release)

[ ${#failed_suites[@]} -gt 0 ] && echo "failed suites: ${failed_suites[*]}"
echo "$total_pass passed, $total_fail failed"
[ "$total_fail" -eq 0 ]
