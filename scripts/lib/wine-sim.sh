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
  local device
  device=$(_sim_serving "$sim_work/sim.out" "$sim_pid")
  device=${device#* }
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
  [ -n "${sim_pid:-}" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
  sim_pid=
  "$wine" reg delete 'HKLM\Software\Wine\Ports' /v COM7 /f >/dev/null 2>&1 || true
  "$wineserver" -k 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/com7"
  rm -rf "$sim_work"
}

# _sim_serving <output file> <pid>: the simulator's "COM<n> <device>" line once it serves (at most
# 10 s), or nothing when it ended or never said so.
_sim_serving() {
  local line= _
  for _ in $(seq 200); do
    line=$(awk 'NR == 1 && /^COM/ { print $1 " " $2 }' "$1")
    [ -n "$line" ] && break
    kill -0 "$2" 2>/dev/null || break
    sleep 0.05
  done
  echo "$line"
}

# sim_supervise <varnel-sim> <control folder>: lets Windows tests start and stop simulators as the
# Linux tests do (tests/e2e/support/sim_process.cpp). COM7..COM9 of $WINEPREFIX are links in the
# control folder; a test writes start-<id> (one argument a line) and the loop here starts varnel-sim
# with them on the lowest free of those ports, answering started-<id> ("<COM number> <device>") or
# failed-<id>; stop-<id> stops it and is answered by stopped-<id> (its exit status). Exports
# VARNEL_TEST_SIM_CONTROL, the folder as a Windows path. Stops it all on exit.
sim_supervise() {
  local sim=$1
  sim_control=$(realpath -m "$2")
  rm -rf "$sim_control" && mkdir -p "$sim_control"
  local n
  for n in 7 8 9; do
    "$wine" reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /d "$sim_control/com$n" /f >/dev/null 2>&1
  done
  "$wineserver" -k 2>/dev/null || true
  "$wine" reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' 2>/dev/null | grep -q 'COM9' ||
    { echo "wine did not register COM7..COM9" >&2; return 1; }
  _sim_supervisor_loop "$sim" "$sim_control" >"$sim_control/supervisor.log" 2>&1 </dev/null &
  sim_supervisor_pid=$!
  trap sim_supervise_stop EXIT
  export VARNEL_TEST_SIM_CONTROL="Z:${sim_control//\//\\}"
}

_sim_supervisor_loop() {
  local sim=$1 ctl=$2 req id n
  declare -A pid=() port=()
  while :; do
    for req in "$ctl"/start-* "$ctl"/stop-*; do
      [ -f "$req" ] || continue
      id=${req##*/}
      id=${id#*-}
      case $req in
        */start-*)
          local args=() used=" ${port[*]} " com= device=
          mapfile -t args <"$req"
          rm -f "$req"
          for n in 7 8 9; do [[ $used == *" $n "* ]] || { com=$n; break; }; done
          [ -n "$com" ] || { echo "no free port" >"$ctl/failed-$id"; continue; }
          mkdir -p "$ctl/alias-$id"
          VARNEL_COM_DIR="$ctl/alias-$id" "$sim" --log "$ctl/sim-$id.log" "${args[@]}" \
            >"$ctl/out-$id" 2>&1 </dev/null &
          pid[$id]=$!
          device=$(_sim_serving "$ctl/out-$id" "${pid[$id]}")
          if [ -z "$device" ]; then
            cat "$ctl/out-$id" >"$ctl/failed-$id"
            unset "pid[$id]"
            continue
          fi
          # Through the simulator's own alias link: its unplug removes it, as pulling an adapter would.
          n=${device%% *}
          ln -sfn "$ctl/alias-$id/com${n#COM}" "$ctl/com$com"
          port[$id]=$com
          echo "$com ${device#* }" >"$ctl/started-$id.tmp" && mv "$ctl/started-$id.tmp" "$ctl/started-$id"
          ;;
        */stop-*)
          rm -f "$req"
          local status=0
          if [ -n "${pid[$id]:-}" ]; then
            kill "${pid[$id]}" 2>/dev/null
            wait "${pid[$id]}" 2>/dev/null || status=$?
            rm -f "$ctl/com${port[$id]}"
          fi
          unset "pid[$id]" "port[$id]"
          echo "$status" >"$ctl/stopped-$id.tmp" && mv "$ctl/stopped-$id.tmp" "$ctl/stopped-$id"
          ;;
      esac
    done
    sleep 0.02
  done
}

sim_supervise_stop() {
  [ -n "${sim_supervisor_pid:-}" ] && kill "$sim_supervisor_pid" 2>/dev/null && wait "$sim_supervisor_pid" 2>/dev/null || true
  sim_supervisor_pid=
  pkill -f -- "--log $sim_control/sim-" 2>/dev/null || true
  local n
  for n in 7 8 9; do
    "$wine" reg delete 'HKLM\Software\Wine\Ports' /v "COM$n" /f >/dev/null 2>&1 || true
  done
  "$wineserver" -k 2>/dev/null || true
}
