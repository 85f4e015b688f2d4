#!/usr/bin/env bash
# The program's main job on a demo Outlook Express profile, in a throw-away Wine prefix.
#   scripts/demo.sh          build, make the demo profile, start the program, leave a
#                            screenshot of its main window in build/demo/
#   scripts/demo.sh --window open the program for a person to use (on $DISPLAY when there
#                            is one, otherwise on Xvfb with a screenshot)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
MODE=${1:-}

bash scripts/setup.sh
mkdir -p build/demo
if [ ! -f build/win64/larkmoor.exe ] || [ -n "$(find src -newer build/win64/larkmoor.exe -print -quit)" ]; then
  echo "== building the program"
  cmake --preset win64 >build/demo/build.log 2>&1
  cmake --build --preset win64 -j"$(nproc)" --target larkmoor >>build/demo/build.log 2>&1 ||
    { tail -30 build/demo/build.log; exit 1; }
fi

export LARK_WINEPREFIX=$ROOT/build/demo-prefix
export LARK_DISPLAY=${LARK_DISPLAY:-95}
[ "$MODE" = "--window" ] && [ -n "${DISPLAY:-}" ] && export LARK_USE_DISPLAY=1
. scripts/wine-env.sh
trap lark_stop EXIT
lark_start_xvfb
lark_prepare_prefix

echo "== demo profile"
WUSER=$(id -un)
DRIVE_C=$WINEPREFIX/drive_c
python3 scripts/demo_profile.py "$DRIVE_C" "$WUSER" >build/demo/profile.reg
(cd build/demo && "$WINE" regedit /s profile.reg)
mkdir -p "$DRIVE_C/LarkmoorDemo/Backup"
"$WINE" reg add 'HKCU\Software\TarnKeep' /v TarnKeep /d 'C:\LarkmoorDemo\Backup' /f >/dev/null
"$WINE" reg add 'HKCU\Software\TarnKeep' /v BackupOverWrite /t REG_DWORD /d 1 /f >/dev/null
find "$DRIVE_C/users/$WUSER/Local Settings" -name '*.dbx' -printf '  %s bytes  %P\n' | sort -k3

echo "== starting Larkmoor"
"$WINE" build/win64/larkmoor.exe &
PID=$!
if [ "$MODE" = "--window" ] && [ -n "${LARK_USE_DISPLAY:-}" ]; then
  echo "The program runs on your display; close it to end the demo."
  wait $PID || true
  exit 0
fi
for _ in $(seq 1 100); do
  xwininfo -root -tree 2>/dev/null | grep -q 'Outlook Express Larkmoor Backup' && break
  sleep 0.2
done
sleep 1
import -window root -crop 460x300+0+0 build/demo/main-window.png
echo "screenshot: build/demo/main-window.png"
if [ "$MODE" = "--window" ]; then
  echo "Xvfb display :$LARK_DISPLAY; close the program (or press Ctrl+C) to end."
  wait $PID || true
fi
