#!/usr/bin/env bash
# Checks the 32-bit release program build/win32/larkmoor.exe (preset win32-release):
# stripped and under 1 MiB, loadable by Windows 98 SE and NT 4.0 (subsystem version 4.0),
# carrying its version resource, and importing only what scripts/win32-imports.txt lists.
# Prints one PASS or FAIL line per check, then "release: N passed, M failed".
set -uo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
EXE=${1:-build/win32/larkmoor.exe}
OBJDUMP=i686-w64-mingw32-objdump
pass=0
fail=0
check() {  # check <description> <command...>
  local what=$1
  shift
  local why
  if why=$("$@" 2>&1); then
    echo "PASS: $what"
    pass=$((pass + 1))
  else
    echo "FAIL: $what${why:+: $why}"
    fail=$((fail + 1))
  fi
}

if [ ! -f "$EXE" ]; then
  echo "FAIL: $EXE was not built"
  echo "release: 0 passed, 1 failed"
  exit 1
fi
headers=$("$OBJDUMP" -x "$EXE" 2>/dev/null)

under_1mib() {
  local size
  size=$(stat -c %s "$EXE")
  [ "$size" -lt 1048576 ] || { echo "$size bytes"; return 1; }
}
stripped() {
  if grep -qE '^ *[0-9]+ \.debug' <<<"$headers" ||
    ! "$OBJDUMP" -t "$EXE" | grep -q '^no symbols'; then
    echo "debug sections or a symbol table left in"
    return 1
  fi
}
subsystem_4() {
  grep -qE '^MajorSubsystemVersion	4$' <<<"$headers" &&
    grep -qE '^MinorSubsystemVersion	0$' <<<"$headers" ||
    { grep -E 'SubsystemVersion' <<<"$headers" | tr '\n' ' '; return 1; }
}
version_resource() {
  local want
  want=$(sed -n 's/^project(Larkmoor VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  python3 - "$EXE" "$want" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
want = sys.argv[2] + ".0" * (3 - sys.argv[2].count("."))
key = data.find("VS_VERSION_INFO".encode("utf-16-le"))
sig = data.find(struct.pack("<I", 0xFEEF04BD), key)
if key < 0 or sig < 0:
    sys.exit("no version resource")
ms, ls = struct.unpack_from("<II", data, sig + 8)
got = "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
text = "FileVersion".encode("utf-16-le")
if got != want or data.find(text, sig) < 0:
    sys.exit("file version %s, expected %s" % (got, want))
PY
}
imports_listed() {
  local extra
  grep -q 'DLL Name:' <<<"$headers" || { echo "no import table found"; return 1; }
  extra=$(comm -23 \
    <(awk '/DLL Name:/ { dll = tolower($3); next }
           dll && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print dll "!" $NF }
           /^$/ { dll = "" }' <<<"$headers" | sort -u) \
    <(sed -e 's/#.*//' -e 's/[[:space:]]*$//' scripts/win32-imports.txt | grep -v '^$' |
      awk -F'!' '{ print tolower($1) "!" $2 }' | sort -u))
  [ -z "$extra" ] || { echo "not in scripts/win32-imports.txt:" $extra; return 1; }
}

check "size under 1 MiB" under_1mib
check "stripped" stripped
check "runs on Windows 98 SE and NT 4.0 (subsystem version 4.0)" subsystem_4
check "version resource with the project's version" version_resource
check "imports only functions of scripts/win32-imports.txt" imports_listed

echo "release: $pass passed, $fail failed"
[ "$fail" -eq 0 ]
