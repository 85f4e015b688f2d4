#!/usr/bin/env bash
# Sourced by the test and demo scripts: a display (Xvfb unless told otherwise) and a
# throw-away Wine prefix prepared for the program and its tests.
#   LARK_WINEPREFIX  the prefix to use (default: build/wineprefix, created afresh when missing)
#   LARK_DISPLAY     the X display number for Xvfb (default 97)

WINE=${WINE:-/usr/lib/wine/wine64}
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)
WINESERVER=${WINESERVER:-${WINE%wine64}wineserver}
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=,winemenubuilder.exe=d"}

# Whether this machine can run Wine's 32-bit half: Debian installs it, but some kernels (a
# virtual machine's, say) run no 32-bit Linux programs at all ("Exec format error").
lark_runs_32bit() {
  local loader=${WINE%64}
  [ "$loader" != "$WINE" ] && [ -x "$loader" ] && "$loader" --version >/dev/null 2>&1
}

lark_start_xvfb() {
  local n=${LARK_DISPLAY:-97}
  if [ -z "${LARK_USE_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
    if ! xdpyinfo -display ":$n" >/dev/null 2>&1; then
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      LARK_XVFB_PID=$!
      for _ in $(seq 1 50); do xdpyinfo -display ":$n" >/dev/null 2>&1 && break; sleep 0.1; done
    fi
    export DISPLAY=":$n"
  fi
}

lark_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  [ -n "${LARK_XVFB_PID:-}" ] && kill "$LARK_XVFB_PID" >/dev/null 2>&1 || true
}

# Creates the prefix once; later runs reuse it (tests reset what they touch).
lark_prepare_prefix() {
  export WINEPREFIX=${LARK_WINEPREFIX:-$PWD/build/wineprefix}
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1
    "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
  # A prefix made before Wine's 32-bit half was installed has no 32-bit system folder, and
  # 32-bit programs do not start in it until it is updated.
  if [ -x "${WINE%64}" ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    "$WINE" wineboot -u >/dev/null 2>&1
    "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
  # No window manager under Xvfb: without this Wine waits for one after every hidden window.
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # The program asks for Arial; Liberation Sans has the same metrics.
  "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1
  # Web addresses go to a recorder instead of a browser, so a test can see what was opened.
  if [ -n "${LARK_RECORD_URLS:-}" ]; then
    "$WINE" reg add 'HKCR\http\shell\open\command' /ve /d \
      'C:\windows\system32\cmd.exe /c echo %1> C:\larkmoor-gui\opened-url.txt' /f >/dev/null 2>&1
  fi
}
