# Shared by the scripts: paths, Wine environment, a private Xvfb.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
export WINEPREFIX="${VELMORA_WINEPREFIX:-$BUILD/wineprefix}"
export WINEARCH=win32 WINEDEBUG=-all LC_ALL=tr_TR.UTF-8
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
  wine regedit "$reg" </dev/null >/dev/null 2>&1 && touch "$marker"
  rm -f "$reg"
  rm -f "$WINEPREFIX/.velmora-desktop"
}
