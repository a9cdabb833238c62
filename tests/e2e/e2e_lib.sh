# Sourced by the Wine end-to-end tests: what most of them need besides Wine itself.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"

# wait_for SECONDS COMMAND...: polls every $poll_seconds (0.1 unless set) until the command succeeds.
wait_for() {
  local until=$(($(date +%s%N) + $1 * 1000000000))
  shift
  while ! "$@"; do
    [ "$(date +%s%N)" -lt "$until" ] || return 1
    sleep "${poll_seconds:-0.1}"
  done
}

# real_test A B T EXPR: an awk condition over the real numbers a, b and t.
real_test() { awk -v a="$1" -v b="$2" -v t="$3" "BEGIN { exit !($4) }"; }

# ini_value FILE KEY: the first value of KEY in an INI file such as INFO.DAT, empty when missing.
ini_value() { [ -f "$1" ] && tr -d '\r' < "$1" | grep -i "^$2=" | head -1 | cut -d= -f2- || true; }

# wine_pid PATTERN: the Unix process id of the Wine process of this WINEPREFIX whose command line
# matches PATTERN, whatever else runs on the machine.
wine_pid() {
  local pid
  for pid in $(pgrep -f "$1" || true); do
    if { tr '\0' '\n' < "/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      echo "$pid"
      return 0
    fi
  done
  return 1
}

# zor_wine_session: one persistent Wine server for the whole test, ended when the script exits.
# Without it each command may boot the prefix again, and the boot starts an automatic service
# before "net start" gets to it.
zor_wine_session() {
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 || true
}

# fail MESSAGE: ends the test; a script whose failure should show its own files defines its own.
fail() { echo "FAIL: $*" >&2; exit 1; }
# ok WHAT: a check that passed.
ok() { echo "ok: $*"; }
# expect WHAT ACTUAL WANTED: says ok, or fails when ACTUAL is not WANTED.
expect() { if [ "$2" = "$3" ]; then echo "ok: $1 = $3"; else fail "$1: got '$2', wanted '$3'"; fi; }

# zor_app_prefix PREFIX [BIN FILE...]: a new WINEPREFIX; app, winapp: its Zorwise folder, with BIN's FILEs.
zor_app_prefix() {
  zor_new_prefix "$1"
  export WINEPREFIX="$1"
  app="$1/drive_c/Program Files/Zorwise"
  winapp='C:\Program Files\Zorwise'
  if [ $# -gt 1 ]; then
    mkdir -p "$app"
    local f
    for f in "${@:3}"; do cp "$2/$f" "$app/"; done
  fi
}
# run PROGRAM ARGS...: a program of the app folder by its Windows path, its output without CRs.
run() { wine "$winapp\\$1" "${@:2}" 2>/dev/null | tr -d '\r'; }

# reg_dword KEY VALUE: a DWORD of the registry in decimal, "missing" when there is none.
reg_dword() {
  local hex
  hex=$(wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v v="$2" '$1 == v { print $3 }')
  [ -n "$hex" ] && echo $((hex)) || echo missing
}

# The service as the manager knows it.
service="ZOR2 Service"
# service_state: RUNNING, STOPPED... as "sc query" reports it, empty when the service is unknown.
service_state() { wine sc query "$service" 2>/dev/null | tr -d '\r' | awk '/STATE/ {print $4}'; }
# service_is STATE: whether the service is in STATE now.
service_is() { [ "$(service_state)" = "$1" ]; }
# start_service: "net start", a failure of which fails the test.
start_service() { wine net start "$service" >/dev/null 2>&1 || fail "net start failed"; }
# stop_service: "net stop", then up to 20 s for the manager to report the service stopped.
stop_service() {
  wine net stop "$service" >/dev/null 2>&1 || fail "net stop failed"
  wait_for 20 service_is STOPPED || fail "service did not stop (state $(service_state))"
}
# service_pid: the Unix process id of this prefix's running service.
service_pid() { wine_pid 'Zor2Svr.exe'; }

# window_geometry CLASS WxH: WxH+X+Y of a visible window of CLASS of that size, empty while there is none.
window_geometry() {
  local id WINDOW WIDTH HEIGHT X Y SCREEN
  for id in $(xdotool search --onlyvisible --class "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
    if [ "${WIDTH}x${HEIGHT}" = "$2" ]; then echo "${WIDTH}x${HEIGHT}+${X}+${Y}"; return 0; fi
  done
}
# answer_worry SHOT: up to 60 s for a "Worry" box, the screen saved to SHOT, Enter on it; 1 when none came.
answer_worry() {
  local worry=""
  for _ in $(seq 1 120); do
    worry=$(xdotool search --name '^Worry$' 2>/dev/null | head -n1 || true)
    [ -n "$worry" ] && break
    sleep 0.5
  done
  sleep 0.5
  import -window root "$1"
  xdotool key --window "$worry" Return 2>/dev/null || xdotool key Return
  [ -n "$worry" ]
}
