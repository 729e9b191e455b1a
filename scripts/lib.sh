# Shared by the scripts: paths, Wine environment, a private Xvfb.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
# The program is 32-bit. Where this machine cannot execute 32-bit code (some
# virtual machines), the Windows tests run from the 64-bit build under 64-bit
# Wine instead; VELMORA_WINE_BITS=32|64 forces the choice.
if [ -z "${VELMORA_WINE_BITS:-}" ]; then
  if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    VELMORA_WINE_BITS=32
  else
    VELMORA_WINE_BITS=64
  fi
fi
export VELMORA_WINE_BITS
if [ "$VELMORA_WINE_BITS" = 64 ]; then
  export VELMORA_WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64
  VELMORA_TEST_PRESET=win64
  VELMORA_PREFIX_NAME=wineprefix64
else
  export VELMORA_WINE=wine WINEARCH=win32
  VELMORA_TEST_PRESET=win32
  VELMORA_PREFIX_NAME=wineprefix
fi
export WINEPREFIX="${VELMORA_WINEPREFIX:-$BUILD/$VELMORA_PREFIX_NAME}"
export WINEDEBUG=-all LC_ALL=tr_TR.UTF-8
# No Mono or Gecko installers: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

VELMORA_XVFB_PIDS=()

# start_xvfb DEPTH -> prints the display name; records the process id.
start_xvfb() {
  local depth="$1" n
  for n in $(seq 90 180); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 "1280x1024x$depth" -nolisten tcp -ac >/dev/null 2>&1 &
      local pid=$!
      local i
      for i in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.05
      done
      VELMORA_XVFB_PIDS+=("$pid")
      XVFB_DISPLAY=":$n"
      return 0
    fi
  done
  echo "no free X display" >&2
  return 1
}

stop_xvfbs() {
  local pid
  for pid in "${VELMORA_XVFB_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${VELMORA_XVFB_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  VELMORA_XVFB_PIDS=()
}

# Wine's windows are not handed to a window manager (there is none on Xvfb):
# otherwise hiding a top-level window waits two seconds for one to answer.
use_unmanaged_windows() {
  local marker="$WINEPREFIX/.velmora-unmanaged"
  [ -f "$marker" ] && return 0
  local reg
  reg="$(mktemp --suffix=.reg)"
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="N"\n\n[-HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"=-\n' >"$reg"
  "$VELMORA_WINE" regedit "$reg" </dev/null >/dev/null 2>&1 && touch "$marker"
  rm -f "$reg"
  rm -f "$WINEPREFIX/.velmora-desktop"
}
