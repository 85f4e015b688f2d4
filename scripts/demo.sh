#!/usr/bin/env bash
# The program's main job on a demo Outlook Express profile, in a throw-away Wine prefix.
#   scripts/demo.sh          build, make the demo profile, run an unattended complete
#                            backup of it ("/a /h /b:<folder>"), show the backup folder
#                            and check every copy against its source
#   scripts/demo.sh --window open the program for a person to use (on $DISPLAY when there
#                            is one, otherwise on Xvfb with a screenshot)
#   scripts/demo.sh --32     either of the above with the 32-bit release program
#                            (build/win32/larkmoor.exe, the one given to people) under
#                            Wine's 32-bit half
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
MODE=
PRESET=win64
PROGRAM=build/win64/larkmoor.exe
for arg in "$@"; do
  case $arg in
    --window) MODE=--window ;;
    --32) PRESET=win32-release PROGRAM=build/win32/larkmoor.exe ;;
    *) echo "usage: scripts/demo.sh [--window] [--32]" >&2; exit 2 ;;
  esac
done

bash scripts/setup.sh
mkdir -p build/demo
if [ ! -f "$PROGRAM" ] || [ -n "$(find src -newer "$PROGRAM" -print -quit)" ]; then
  echo "== building the program ($PRESET)"
  cmake --preset "$PRESET" >build/demo/build.log 2>&1
  cmake --build --preset "$PRESET" -j"$(nproc)" --target larkmoor >>build/demo/build.log 2>&1 ||
    { tail -30 build/demo/build.log; exit 1; }
fi

export LARK_WINEPREFIX=$ROOT/build/demo-prefix
export LARK_DISPLAY=${LARK_DISPLAY:-95}
[ "$MODE" = "--window" ] && [ -n "${DISPLAY:-}" ] && export LARK_USE_DISPLAY=1
. scripts/wine-env.sh
if [ "$PRESET" = win32-release ] && ! lark_runs_32bit; then
  echo "this machine runs no 32-bit programs (its kernel refuses ${WINE%64}); run the demo without --32" >&2
  exit 3
fi
trap lark_stop EXIT
lark_start_xvfb
lark_prepare_prefix

echo "== demo profile"
WUSER=$(id -un)
DRIVE_C=$WINEPREFIX/drive_c
python3 scripts/demo_profile.py "$DRIVE_C" "$WUSER" build/demo/manifest.json >build/demo/profile.reg
(cd build/demo && "$WINE" regedit /s profile.reg)
"$WINE" reg delete 'HKCU\Software\TarnKeep' /f >/dev/null 2>&1 || true
# A folder is set, as on a machine where the program has been used before; "/b:" moves it.
rm -rf "$DRIVE_C/LarkmoorDemo" && mkdir -p "$DRIVE_C/LarkmoorDemo"
"$WINE" reg add 'HKCU\Software\TarnKeep' /v TarnKeep /d 'C:\LarkmoorDemo' /f >/dev/null
"$WINE" reg add 'HKCU\Software\TarnKeep' /v BackupOverWrite /t REG_DWORD /d 1 /f >/dev/null
echo "3 identities (one never used), $(find "$DRIVE_C/users/$WUSER/Local Settings" -name '*.dbx' | wc -l) message stores," \
  "$(du -sh "$DRIVE_C/users/$WUSER/Local Settings" | cut -f1) of mail, an address book, two mail accounts"

if [ "$MODE" = "--window" ]; then
  echo "== starting Larkmoor"
  "$WINE" "$PROGRAM" &
  PID=$!
  if [ -n "${LARK_USE_DISPLAY:-}" ]; then
    echo "The program runs on your display; close it to end the demo."
  else
    for _ in $(seq 1 100); do
      xwininfo -root -tree 2>/dev/null | grep -q 'Outlook Express Larkmoor Backup' && break
      sleep 0.2
    done
    sleep 1
    import -window root -crop 460x300+0+0 build/demo/main-window.png
    echo "screenshot: build/demo/main-window.png; Xvfb display :$LARK_DISPLAY; close the program (or Ctrl+C) to end."
  fi
  wait $PID || true
  exit 0
fi

BACKUP='C:\LarkmoorDemo\Backup'
UNIX_BACKUP=$DRIVE_C/LarkmoorDemo/Backup
echo "== unattended complete backup: $PROGRAM /a /h /b:$BACKUP"
START=$(date +%s.%N)
set +e
# Wine's registry editor misreads the identities branch on the first try and says so; the
# program then asks again (see the README), so that one line is only noise here.
timeout 600 "$WINE" "$PROGRAM" /a /h "/b:$BACKUP" 2>&1 |
  grep -v "Unable to open the registry key 'HKEY_CURRENT_USER.Identities\"'"
CODE=${PIPESTATUS[0]}
set -e
"$WINESERVER" -w >/dev/null 2>&1 || true  # signature exports run on after the program
END=$(date +%s.%N)
printf 'exit code %s after %.1f s\n\n' "$CODE" "$(echo "$END - $START" | bc)"
python3 scripts/demo_check.py "$UNIX_BACKUP" build/demo/manifest.json
CHECK=$?
# The checksum list the program wrote, read by the host's own sha256sum.
if (cd "$UNIX_BACKUP" && sha256sum -c --quiet Larkmoor.sha256); then
  echo "Larkmoor.sha256: every checksum matches (sha256sum -c)"
else
  CHECK=1
fi
[ "$CODE" -eq 0 ] && [ "$CHECK" -eq 0 ] && echo "Demo backup verified." || { echo "Demo backup FAILED."; exit 1; }
