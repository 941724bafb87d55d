# Sourced by the Windows scripts: Wine in a throw-away prefix, without a
# display, with one serial port.
#   wine_prefix PREFIX COM1_PATH   a prefix whose COM1 is COM1_PATH (a fresh
#                                  one when PREFIX does not exist), and a
#                                  running Wine server
#   wine_stop                      ends the Wine server and the far end whose
#                                  pid is in far_end_pid (trap it on EXIT)
#   wine_display DIR               Xvfb on a display of its own (pid in
#                                  xvfb_pid, files in DIR), Wine's desktop in
#                                  it, the Wine server stopped so that the
#                                  next program starts one that uses it
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

wine_prefix() {
  export WINEPREFIX="$1"
  if [ ! -d "$WINEPREFIX" ]; then "$wine" wineboot -i >/dev/null 2>&1 </dev/null; fi
  # Wine's mount manager rewrites dosdevices/comN at start-up; a value under
  # Ports, set while no Wine server runs, is what it honours.
  "$wine" reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$2" /f >/dev/null 2>&1 </dev/null
  # Without a display, windows on Wine's null driver: the unit tests of the
  # window's controls run headless; with one (the window test), on X.
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f >/dev/null 2>&1 </dev/null
  "$wineserver" -w
  # One server for every program (each would start its own otherwise), and
  # Wine's own services started here: they outlive the first program and
  # would hold its output open.
  "$wineserver" -p >/dev/null 2>&1 </dev/null
  "$wine" wineboot >/dev/null 2>&1 </dev/null
}

far_end_pid=""
wine_stop() {
  if [ -n "$far_end_pid" ]; then kill "$far_end_pid" 2>/dev/null || true; fi
  if [ -n "${WINEPREFIX:-}" ]; then "$wineserver" -k 2>/dev/null || true; fi
}

xvfb_pid=""
wine_display() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1/display" >"$1/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  [ -s "$1/display" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(cat "$1/display")"
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
}
