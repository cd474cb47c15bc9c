# Sourced by scripts/test-windows and scripts/build-windows: a private headless wine and varnel-sim
# behind wine's COM7.

# wine_prefix <folder>: a quiet private wine prefix in <folder>/wineprefix; sets $wine.
wine_prefix() {
  wine=/usr/lib/wine/wine64
  [ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
  wineserver=$(dirname "$wine")/wineserver
  [ -x "$wineserver" ] || wineserver=$(command -v wineserver || echo true)
  export WINEPREFIX="$1/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY WAYLAND_DISPLAY
  [ -d "$WINEPREFIX/dosdevices" ] || "$wine" wineboot --init >/dev/null 2>&1
}

# sim_com7 <varnel-sim> <work folder> [simulator options]: starts the simulator on a pseudo-terminal
# and links it as COM7 of $WINEPREFIX; exports VARNEL_TEST_COM=7. The work folder lives in the build
# folder, away from other programs' temporary clean-ups. Stops it all on exit.
sim_com7() {
  local sim=$1
  sim_work=$2
  shift 2
  rm -rf "$sim_work"
  mkdir -p "$sim_work/com"
  sim_pid=
  trap sim_com7_stop EXIT
  # The simulator registers in a private alias folder and prints "COM<n> <device>" once it serves.
  VARNEL_COM_DIR="$sim_work/com" "$sim" --log "$sim_work/sim.log" "$@" >"$sim_work/sim.out" 2>&1 </dev/null &
  sim_pid=$!
  local device= _
  for _ in $(seq 100); do
    device=$(awk 'NR == 1 && /^COM/ { print $2 }' "$sim_work/sim.out")
    [ -n "$device" ] && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$device" ] || { echo "varnel-sim did not start:" >&2; cat "$sim_work/sim.out" >&2; return 1; }
  # Configured as a wine user would: wine's device manager reads its Ports key when it starts, links
  # dosdevices/com7 and lists the port in the registry's SERIALCOMM map, where programs look.
  "$wine" reg add 'HKLM\Software\Wine\Ports' /v COM7 /d "$device" /f >/dev/null 2>&1
  "$wineserver" -k 2>/dev/null || true
  "$wine" reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' 2>/dev/null | grep -q 'COM7' ||
    { echo "wine did not register COM7 for $device" >&2; return 1; }
  export VARNEL_TEST_COM=7
}

sim_com7_stop() {
  [ -n "${sim_pid:-}" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  sim_pid=
  "$wine" reg delete 'HKLM\Software\Wine\Ports' /v COM7 /f >/dev/null 2>&1 || true
  "$wineserver" -k 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/com7"
  rm -rf "$sim_work"
}
