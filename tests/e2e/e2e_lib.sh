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
  app="$1/drive_c/$zor_program_files/Zorwise"
  winapp="C:\\$zor_program_files\\Zorwise"
  if [ $# -gt 1 ]; then
    mkdir -p "$app"
    local f
    for f in "${@:3}"; do cp "$2/$f" "$app/"; done
  fi
}
# install_powercfg BIN: the stand-in powercfg.exe of BIN's fixtures in the prefix's system folder,
# where the programs of that build find it, and in system32, where `wine powercfg` finds it.
install_powercfg() {
  local dir
  for dir in "$zor_system_dir" system32; do
    cp "$1/fixtures/powercfg.exe" "$WINEPREFIX/drive_c/windows/$dir/powercfg.exe"
  done
}
# run PROGRAM ARGS...: a program of the app folder by its Windows path, its output without CRs.
run() { wine "$winapp\\$1" "${@:2}" 2>/dev/null | tr -d '\r'; }

# reg_dword KEY VALUE: a DWORD of the registry in decimal, "missing" when there is none.
reg_dword() {
  local hex
  hex=$(wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v v="$2" '$1 == v { print $3 }')
  [ -n "$hex" ] && echo $((hex)) || echo missing
}

# ---- What the presented Windows version keeps where (ZOR_WINE_VERSION) ----------------------------
# autostart_key, other_autostart_key: the key under which zor2 registers its start at logon (Run on
# NT 5.x, RunOnce on NT 6), and the one it must leave alone.
run_keys='HKLM\Software\Microsoft\Windows\CurrentVersion'
autostart_key() { if zor_nt5; then echo "$run_keys\Run"; else echo "$run_keys\RunOnce"; fi; }
other_autostart_key() { if zor_nt5; then echo "$run_keys\RunOnce"; else echo "$run_keys\Run"; fi; }

# Power plans by zor2's numbers (2 power saver, 3 high performance, 4 balanced), where the system
# keeps them: power policies of the user on NT 5.x, power schemes of the machine on NT 6. The
# stand-in powercfg (install_powercfg) applies the commands of each.
policies='HKCU\Control Panel\PowerCfg\PowerPolicies'
schemes='HKLM\SYSTEM\CurrentControlSet\Control\Power\User\PowerSchemes'
plan_scheme() {  # plan_scheme PLAN: its scheme's GUID on NT 6
  case "$1" in
    4) echo 381b4222-f694-41f0-9685-ff5bb260df2e ;;
    3) echo 8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c ;;
    *) echo a1841308-3541-4fab-bc81-f71556f20b4a ;;
  esac
}
plan_alias() {  # plan_alias PLAN: its scheme's alias for powercfg on NT 6
  case "$1" in 4) echo SCHEME_BALANCED ;; 3) echo SCHEME_MIN ;; *) echo SCHEME_MAX ;; esac
}
# active_plan: the plan in force, "missing" when the system names none.
active_plan() {
  local out
  if zor_nt5; then
    out=$(wine reg query 'HKCU\Control Panel\PowerCfg' /v CurrentPowerPolicy 2>/dev/null | tr -d '\r' \
          | awk '$1 == "CurrentPowerPolicy" { print $3 }')
  else
    out=$(wine reg query "$schemes" /v ActivePowerScheme 2>/dev/null | tr -d '\r' \
          | awk '$1 == "ActivePowerScheme" { print $3 }')
    case "$out" in
      "$(plan_scheme 4)") out=4 ;; "$(plan_scheme 3)") out=3 ;; "$(plan_scheme 2)") out=2 ;;
    esac
  fi
  echo "${out:-missing}"
}
# plan_timeouts [PLAN]: "monitor M disk D", the AC time-outs in seconds of PLAN (4 unless told).
plan_timeouts() {
  local plan=${1:-4}
  if zor_nt5; then
    # The user policy record: the monitor's AC time-out at byte 56, the disk's at 64.
    wine reg query "$policies\\$plan" /v Policies 2>/dev/null | tr -d '\r' | awk '
      function dword(hex, at,  i, j, n) {
        hex = tolower(hex)
        for (i = 3; i >= 0; i--)
          for (j = 1; j <= 2; j++)
            n = n * 16 + index("0123456789abcdef", substr(hex, (at + i) * 2 + j, 1)) - 1
        return n
      }
      $1 == "Policies" { record = $3 }
      END {
        if (length(record) < 136) print "monitor missing disk missing"
        else printf "monitor %d disk %d\n", dword(record, 56), dword(record, 64)
      }'
    return
  fi
  wine reg query "$schemes\\$(plan_scheme "$plan")" /s 2>/dev/null | tr -d '\r' | awk '
    function hex(text,  i, n) {
      text = tolower(text); sub(/^0x/, "", text)
      for (i = 1; i <= length(text); i++) n = n * 16 + index("0123456789abcdef", substr(text, i, 1)) - 1
      return n + 0
    }
    /^HKEY/ { kind = /6738e2c4-e8a5-4a42-b16a-e040e769756e$/ ? "disk" : /3c0bc021-c8a8-4e07-a973-6b14cbcb2b7e$/ ? "monitor" : "" }
    kind != "" && $1 == "ACSettingIndex" { seconds[kind] = hex($3) }
    END { printf "monitor %s disk %s\n", ("monitor" in seconds) ? seconds["monitor"] : "missing",
                                         ("disk" in seconds) ? seconds["disk"] : "missing" }'
}
# set_active_plan PLAN: the user's choice of plan, through powercfg.
set_active_plan() {
  if zor_nt5; then
    wine powercfg /s "$1" /n >/dev/null 2>&1 || fail "powercfg /s $1"
  else
    wine powercfg -S "$(plan_alias "$1")" >/dev/null 2>&1 || fail "powercfg -S $(plan_alias "$1")"
  fi
}
# set_plan_timeouts PLAN MONITOR DISK: a plan's AC time-outs in minutes, through powercfg; NT 6's
# powercfg sets only the active plan's, so PLAN is made active for it and the plan before restored.
set_plan_timeouts() {
  local plan=$1 setting
  if zor_nt5; then
    for setting in monitor:$2 disk:$3; do
      wine powercfg /N /X "$plan" "/${setting%%:*}-timeout-ac" "${setting#*:}" >/dev/null 2>&1 \
        || fail "powercfg /N /X $plan ${setting%%:*}"
    done
    return
  fi
  local before
  before=$(active_plan)
  set_active_plan "$plan"
  for setting in monitor:$2 disk:$3; do
    wine powercfg /X "/${setting%%:*}-timeout-ac" "${setting#*:}" >/dev/null 2>&1 \
      || fail "powercfg /X ${setting%%:*}"
  done
  case "$before" in 2 | 3 | 4) [ "$before" = "$plan" ] || set_active_plan "$before" ;; esac
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
# pid_running PID: whether the process runs; one that ended but lingers as a zombie (a Wine
# process whose parent ended is left to PID 1, which may not reap it) counts as ended.
pid_running() {
  local state
  state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}
# tray_window: the X window of the notification area, empty while there is none: Wine 8 shows
# "Wine System Tray" while it holds icons; Wine 10 docks an unnamed 160x20 window of explorer.exe.
tray_window() {
  local id
  id=$(xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -1 || true)
  if [ -z "$id" ]; then
    local WINDOW WIDTH HEIGHT X Y SCREEN
    for id in $(xdotool search --onlyvisible --classname '^explorer.exe$' 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
      [ -z "$(xdotool getwindowname "$id" 2>/dev/null)" ] && [ "${WIDTH}x${HEIGHT}" = 160x20 ] && break
      id=""
    done
  fi
  echo "$id"
}
# tray_shows_removal: whether this Wine takes a removed icon off the screen. Wine 10's docked tray
# keeps drawing it (whichever build removes it) until its program ends.
tray_shows_removal() { case "$(wine --version 2>/dev/null)" in wine-8.*) return 0 ;; *) return 1 ;; esac; }
# service_pid: the Unix process id of this prefix's running service.
service_pid() { wine_pid 'Zor2Svr.exe'; }

# pointer_onto X Y: the pointer moved onto a point from beside it, as a hand would: Wine 10 ignores
# a click after a few seconds' idle unless the pointer has moved onto its target first.
pointer_onto() {
  xdotool mousemove $(($1 - 3)) "$2"; sleep 0.1
  xdotool mousemove "$1" "$2"
}
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

# html_recorder: the prefix user's Documents made a plain folder inside the prefix (it may be a link
# to the Unix home), and the recorder fixture (in the app folder) registered as the program that
# opens .html files, in place of a browser. Sets report (where zorstat --report writes) and opened
# (the recorder's log, a line per path it was given); opened_count N: N paths or more so far.
html_recorder() {
  local documents="$WINEPREFIX/drive_c/users/$(id -un)/Documents"
  if [ -L "$documents" ]; then rm "$documents"; fi
  mkdir -p "$documents"
  report="$documents/Zorwise/Energy report.html"
  opened="$app/opened.log"
  wine reg add 'HKCR\.html' /ve /d ZorTest.Page /f >/dev/null 2>&1
  wine reg add 'HKCR\ZorTest.Page\shell\open\command' /ve /d "\"$winapp\\open_recorder.exe\" \"%1\"" /f >/dev/null 2>&1
}
opened_count() { [ "$([ -f "$opened" ] && wc -l < "$opened" || echo 0)" -ge "$1" ]; }
