# Sourced by the Wine end-to-end tests (and scripts/demo.sh): what they need besides Wine itself.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"

# ---- How a test ends ------------------------------------------------------------------------------
# fail ends the test at once; soft_fail counts and lets the test go on, and the end fails a test that
# counted any. A test that ends on a failed command (set -e) without either says which command it
# was and where, so that no test can stop early in silence.
zor_failed=""
zor_soft_failures=0
zor_last_error=""
zor_exit_hooks=()
set -E
trap 'zor_last_error="status $? at ${BASH_SOURCE[0]##*/}:$LINENO (${FUNCNAME[0]:-main}): $BASH_COMMAND"' ERR
trap zor_on_exit EXIT

# at_exit COMMAND: runs COMMAND when the test ends, before the commands registered earlier.
at_exit() { zor_exit_hooks=("$1" "${zor_exit_hooks[@]}"); }

zor_on_exit() {
  local status=$? hook
  trap - ERR
  if [ "$status" -ne 0 ] && [ -z "$zor_failed" ]; then
    echo "FAIL: ended early with ${zor_last_error:-status $status}" >&2
    zor_failure_details
  fi
  if [ "$status" -eq 0 ] && [ "$zor_soft_failures" -ne 0 ]; then
    echo "FAIL: $zor_soft_failures check(s) failed" >&2
    status=1
  fi
  for hook in "${zor_exit_hooks[@]}"; do eval "$hook" || true; done
  exit "$status"
}

# ZOR_TEST_PATIENCE SECONDS (set by the build's test registration, under ctest's time-out): a test
# still running then prints the commands it is waiting on, with their ages, and ends them, so the
# command that hung fails and is named instead of the whole test being killed without a word.
zor_commands_of() {  # the process tree under PID, the watchdog's own branch left out
  ps -eo pid=,ppid=,etimes=,args= | awk -v root="$1" -v skip="$2" '
    { pid[NR] = $1; parent[NR] = $2; line[NR] = $0 }
    END {
      keep[root] = 1
      for (changed = 1; changed; ) {
        changed = 0
        for (i = 1; i <= NR; i++)
          if (keep[parent[i]] && !keep[pid[i]] && pid[i] != skip) { keep[pid[i]] = 1; changed = 1 }
      }
      for (i = 1; i <= NR; i++) if (keep[pid[i]] && pid[i] != root) print line[i]
    }'
}
zor_watchdog() {
  local test_pid=$1 sleeper
  trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
  sleep "$ZOR_TEST_PATIENCE" </dev/null >/dev/null 2>&1 &
  sleeper=$!
  wait "$sleeper"
  echo "FAIL: still running after $ZOR_TEST_PATIENCE s; waiting on (pid, parent, seconds, command):" >&2
  zor_commands_of "$test_pid" "$BASHPID" >&2
  zor_commands_of "$test_pid" "$BASHPID" | awk '{ print $1 }' | xargs -r kill 2>/dev/null || true
}
if [ -n "${ZOR_TEST_PATIENCE:-}" ]; then
  zor_watchdog "$$" &
  zor_watchdog_pid=$!
  disown "$zor_watchdog_pid"  # not one of the test's jobs: a plain "wait" must not wait for it
  at_exit 'kill "$zor_watchdog_pid" 2>/dev/null'
fi

# A test defines failure_details to print what shows a failure (its logs, INFO.DAT ...).
zor_failure_details() {
  if declare -F failure_details >/dev/null; then failure_details >&2 || true; fi
}

# fail MESSAGE: ends the test (in a subshell, that subshell, whose end then ends the test).
fail() {
  echo "FAIL: $*" >&2
  zor_failed=1
  if [ "$BASH_SUBSHELL" -eq 0 ]; then zor_failure_details; fi
  exit 1
}
# ok WHAT: a check that passed.
ok() { echo "ok: $*"; }
# expect WHAT ACTUAL WANTED: says ok, or fails when ACTUAL is not WANTED.
expect() { if [ "$2" = "$3" ]; then echo "ok: $1 = $3"; else fail "$1: got '$2', wanted '$3'"; fi; }

# soft_fail MESSAGE: a failed check that lets the test go on; the test fails at its end.
soft_fail() { echo "FAIL: $*"; zor_soft_failures=$((zor_soft_failures + 1)); }
# soft_expect WHAT ACTUAL WANTED: expect, with soft_fail.
soft_expect() { if [ "$2" = "$3" ]; then echo "ok: $1 = $3"; else soft_fail "$1: got '$2', wanted '$3'"; fi; }
# soft_summary NOTE: how the soft checks went, NOTE after it; fails the test when any failed.
soft_summary() {
  if [ "$zor_soft_failures" -ne 0 ]; then
    echo "$zor_soft_failures check(s) failed; $1"
    zor_failed=1
    exit 1
  fi
  echo "all checks passed; $1"
}

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

# ---- INI files such as INFO.DAT: sections and keys match without regard to case, as the programs
# read them ------------------------------------------------------------------------------------------
# ini_value FILE SECTION KEY: the first value of KEY in SECTION, empty when there is none.
ini_value() {
  [ -e "$1" ] || return 0
  tr -d '\r' < "$1" | awk -v s="$2" -v k="$3" '
    /^\[/ { in_s = (tolower($0) == "[" tolower(s) "]"); next }
    in_s && index($0, "=") && tolower(substr($0, 1, index($0, "=") - 1)) == tolower(k) {
      print substr($0, index($0, "=") + 1); exit }'
}
# ini_section FILE SECTION: the lines of SECTION, in their order, without the header.
ini_section() {
  [ -e "$1" ] || return 0
  tr -d '\r' < "$1" | awk -v s="$2" '/^\[/ { in_s = (tolower($0) == "[" tolower(s) "]"); next } in_s'
}
# ini_keys FILE SECTION: the keys of SECTION in their order, each followed by a blank.
ini_keys() { ini_section "$1" "$2" | awk '/=/ { sub(/=.*/, ""); printf "%s ", $0 }'; }
# info_file: INFO.DAT of the app folder under whichever spelling made it first (the programs match
# the name without case); INFO.DAT while there is none.
info_file() {
  local name; name=$(ls "$app" 2>/dev/null | grep -i -m1 '^info\.dat$' || true)
  echo "$app/${name:-INFO.DAT}"
}
# info_value SECTION KEY: ini_value of the app folder's INFO.DAT.
info_value() { ini_value "$(info_file)" "$1" "$2"; }

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

# zor_wine_session: one persistent Wine server for the whole test, ended when the script exits;
# every Wine test runs on one. Without it each command may boot the prefix again (and the boot
# starts an automatic service before "net start" gets to it), or start while the previous
# command's session shuts down, and lose its output or fail.
zor_wine_session() {
  at_exit 'wineserver -k >/dev/null 2>&1'
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 || true
}
# zor_wine_restart: the session ended, every process of the prefix with it, and a new one begun.
zor_wine_restart() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w || true
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 || true
}
# programs_ended PATTERN: whether no Wine process of this prefix matches PATTERN, looked at twice
# half a second apart, so that a program that starts the next one just then is not missed.
programs_ended() {
  ! wine_pid "$1" >/dev/null && sleep 0.5 && ! wine_pid "$1" >/dev/null
}

# zor_app_prefix PREFIX [BIN FILE...]: a new WINEPREFIX; app, winapp: its Zorwise folder, with BIN's FILEs.
zor_app_prefix() {
  zor_new_prefix "$1"
  export WINEPREFIX="$1"
  app="$1/drive_c/$zor_program_files/Zorwise"
  winapp="C:\\$zor_program_files\\Zorwise"
  board_file="$(dirname "$1")/show.txt"
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
# run PROGRAM ARGS...: a program of the app folder ($app), started there, its output without CRs.
run() { (cd "$app" && wine "./$1" "${@:2}") | tr -d '\r'; }

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
# companion_run: the companion's logon value under Run, in whichever view the installer wrote it
# ("" when there is none).
companion_run() {
  local view
  for view in "" /reg:32; do
    wine reg query "$run_keys\Run" /v Zor2Tray $view 2>/dev/null | tr -d '\r' |
      sed -n 's/^ *Zor2Tray *REG_SZ *//p' | grep . && return 0
  done
  return 0
}

# Power plans by zor2's numbers (2 power saver, 3 high performance, 4 balanced), where the system
# keeps them: power policies of the user on NT 5.x, power schemes of the machine on NT 6. The
# stand-in powercfg (install_powercfg) applies the commands of each.
policies='HKCU\Control Panel\PowerCfg\PowerPolicies'
schemes='HKLM\SYSTEM\CurrentControlSet\Control\Power\User\PowerSchemes'
# The schemes' GUIDs on NT 6, and those of the two time-outs' subgroups and settings.
scheme_balanced=381b4222-f694-41f0-9685-ff5bb260df2e
scheme_high_performance=8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c
scheme_power_saver=a1841308-3541-4fab-bc81-f71556f20b4a
disk_subgroup=0012ee47-9041-4b5d-9b77-535fba8b1442
disk_setting=6738e2c4-e8a5-4a42-b16a-e040e769756e
display_subgroup=7516b95f-f776-4464-8c53-06167f40cc99
display_setting=3c0bc021-c8a8-4e07-a973-6b14cbcb2b7e
plan_scheme() {  # plan_scheme PLAN: its scheme's GUID on NT 6
  case "$1" in
    4) echo "$scheme_balanced" ;;
    3) echo "$scheme_high_performance" ;;
    *) echo "$scheme_power_saver" ;;
  esac
}
# plan_timeout_key PLAN disk|monitor: the key of a plan's AC time-out on NT 6.
plan_timeout_key() {
  case "$2" in
    disk) echo "$schemes\\$(plan_scheme "$1")\\$disk_subgroup\\$disk_setting" ;;
    *) echo "$schemes\\$(plan_scheme "$1")\\$display_subgroup\\$display_setting" ;;
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
  wine reg query "$schemes\\$(plan_scheme "$plan")" /s 2>/dev/null | tr -d '\r' \
    | awk -v disk="$disk_setting" -v monitor="$display_setting" '
    function hex(text,  i, n) {
      text = tolower(text); sub(/^0x/, "", text)
      for (i = 1; i <= length(text); i++) n = n * 16 + index("0123456789abcdef", substr(text, i, 1)) - 1
      return n + 0
    }
    /^HKEY/ { kind = $0 ~ (disk "$") ? "disk" : $0 ~ (monitor "$") ? "monitor" : "" }
    kind != "" && $1 == "ACSettingIndex" { seconds[kind] = hex($3) }
    END { printf "monitor %s disk %s\n", ("monitor" in seconds) ? seconds["monitor"] : "missing",
                                         ("disk" in seconds) ? seconds["disk"] : "missing" }'
}
# power_settings: "plan P, monitor M disk D": the plan in force and plan 4's AC time-outs in seconds.
power_settings() { echo "plan $(active_plan), $(plan_timeouts 4)"; }
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

# ---- The simulated board as `simboard show` prints it ---------------------------------------------
# board_show [FOLDER]: the board beside FOLDER's hwk.dll (the app folder's unless told), kept in
# $board_file for the readers below.
board_show() { (cd "${1:-$app}" && wine ./simboard.exe show 2>/dev/null) | tr -d '\r' > "$board_file"; }
control_word() { sed -n 's/^control *\(0x[0-9A-F]*\):.*/\1/p' "$board_file"; }
level_code() { sed -n 's/^control .*level code \([0-9]*\).*/\1/p' "$board_file"; }
# flag active|LED|3D: ControlFlags bit 0, 2 or 11 as 0 or 1; "unreadable" without a control word.
flag() {
  local word bit
  word=$(control_word)
  case $1 in active) bit=0 ;; LED) bit=2 ;; 3D) bit=11 ;; esac
  if [ -n "$word" ]; then echo $(( (word >> bit) & 1 )); else echo unreadable; fi
}
# rail_offset ROLE: how far the rail's present value lies below its nominal one.
rail_offset() {
  awk -v name="$1" '$1 == "rail" && $3 == name { gsub(",", ""); print $5 - $10 }' "$board_file"
}
# rail_drops -> "ROLE DROP ..." in the board's order: rail_offset of each rail, or "ROLE present P
# applied A" where the firmware did not apply what is there.
rail_drops() {
  sed -n 's/^rail *0x[0-9A-F]* \([A-Z]*\) *nominal \([0-9]*\), stored base [0-9]*, present \([0-9]*\), applied \([0-9]*\)$/\1 \2 \3 \4/p' \
    "$board_file" | awk '{
      if ($3 == $4) printf "%s%s %d", sep, $1, $2 - $3; else printf "%s%s present %s applied %s", sep, $1, $3, $4
      sep = " " } END { print "" }'
}
rail_applies() { sed -n 's/^ *RailTable applied \([0-9]*\) times.*/\1/p' "$board_file"; }
packets() { sed -n 's/^packets *\([0-9]*\) in all.*/\1/p' "$board_file"; }
clock() { sed -n 's/^clock *setting \(-\{0,1\}[0-9]*\).*/\1/p' "$board_file"; }
clock_calls() { sed -n 's/^clock .*(\([0-9]*\) calls).*/\1/p' "$board_file"; }
fan_curve() { sed -n 's/^fan .*(\([a-z-]*\) curve.*/\1/p' "$board_file"; }

# The service as the manager knows it.
service="ZOR2 Service"
# service_state: RUNNING, STOPPED... as "sc query" reports it, empty when the service is unknown.
service_state() { wine sc query "$service" 2>/dev/null | tr -d '\r' | awk '/STATE/ {print $4}'; }
# service_is STATE: whether the service is in STATE now.
service_is() { [ "$(service_state)" = "$1" ]; }
# service_net VERB: "net VERB" of the service, its status returned; one that has not returned in
# 60 s fails the test, naming the manager's state (net waits as long as the manager reports the
# service pending, and a test stopped by ctest's time-out says nothing).
service_net() {
  local status=0
  timeout 60 wine net "$1" "$service" >/dev/null 2>&1 || status=$?
  [ "$status" -ne 124 ] || fail "net $1 did not return in 60 s (the service's state: $(service_state))"
  return "$status"
}
# start_service: "net start", a failure of which fails the test.
start_service() { service_net start || fail "net start failed"; }
# stop_service: "net stop", then up to 20 s for the manager to report the service stopped.
stop_service() {
  service_net stop || fail "net stop failed"
  wait_for 20 service_is STOPPED || fail "service did not stop (state $(service_state))"
}
# pid_running PID: whether the process runs; one that ended but lingers as a zombie (a Wine
# process whose parent ended is left to PID 1, which may not reap it) counts as ended.
pid_running() {
  local state
  state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}
# window_at ID: the X window's place and size in the caller's X, Y, WIDTH and HEIGHT (and WINDOW,
# SCREEN); false, with those left alone, when the window is gone: windows come and go between a
# search and a look at one of them.
window_at() {
  local shell
  shell=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) && [ -n "$shell" ] || return 1
  eval "$shell"
}
# tray_window: the X window of the notification area, empty while there is none: Wine 8 shows
# "Wine System Tray" while it holds icons; Wine 10 docks an unnamed 160x20 window of explorer.exe.
tray_window() {
  local id
  id=$(xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -1 || true)
  if [ -z "$id" ]; then
    local WINDOW WIDTH HEIGHT X Y SCREEN
    for id in $(xdotool search --onlyvisible --classname '^explorer.exe$' 2>/dev/null); do
      window_at "$id" || continue
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
# service_process_runs, service_process_gone: whether the service's process runs in this prefix.
service_process_runs() { service_pid >/dev/null; }
service_process_gone() { ! service_pid >/dev/null; }
# service_unknown: whether the manager no longer knows the service.
service_unknown() { [ -z "$(service_state)" ]; }
# The installer's uninstall entry, and whether it is gone (the uninstaller's last step removes it).
nsis_uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zorwise'
uninstalled() { ! wine reg query "$nsis_uninstall_key" "$zor_reg_view" >/dev/null 2>&1; }

# pointer_onto X Y: the pointer moved onto a point from beside it, as a hand would: Wine 10 ignores
# a click after a few seconds' idle unless the pointer has moved onto its target first.
pointer_onto() {
  xdotool mousemove $(($1 - 3)) "$2"; sleep 0.1
  xdotool mousemove "$1" "$2"
}
# ---- zor2's main window: $title is its title, $skin the folder of its skin's pictures ----------
# window_probe QUESTION TITLE...: what the window_probe fixture answers of the window titled TITLE.
window_probe() { wine "$bin/fixtures/window_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
wx=0; wy=0; bx=0; by=0
# window_ids NAME: the visible X windows titled NAME.
window_ids() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }
# locate: the main window's place in wx, wy; false while it is not there at its size.
locate() {
  local id WINDOW X Y WIDTH HEIGHT SCREEN
  id=$(window_ids "$title" | head -n1)
  [ -n "$id" ] || return 1
  window_at "$id" || return 1
  [ "${WIDTH}x${HEIGHT}" = "$(identify -format '%wx%h' "$skin/Main_on.bmp")" ] || return 1
  wx=$X; wy=$Y
}
# click_at X Y: a click on screen point (X, Y), the pointer coming in from the side, so the button
# sees it arrive.
click_at() {
  pointer_onto "$1" "$2"; sleep 0.2
  xdotool click 1
  sleep 0.2
}
# click X Y: click_at the main window's point (X, Y).
click() { click_at $((wx + $1)) $((wy + $2)); }
centre() {  # centre PICTURE X Y -> "cx cy" of a button whose normal picture sits at (X, Y)
  local w h
  read -r w h < <(identify -format '%w %h' "$skin/$1.bmp")
  echo "$(( $2 + w / 2 )) $(( $3 + h / 2 ))"
}
# click_button PICTURE X Y: the main window's button whose normal picture sits at (X, Y).
click_button() { click $(centre "$@"); }
# box_of_size WxH: a visible zor2 window of that size other than the main window; sets bx, by.
box_of_size() {
  local id WINDOW X Y WIDTH HEIGHT SCREEN
  for id in $(xdotool search --onlyvisible --class zor2 2>/dev/null); do
    window_at "$id" || continue
    if [ "${WIDTH}x${HEIGHT}" = "$1" ]; then bx=$X; by=$Y; return 0; fi
  done
  return 1
}
# window_geometry CLASS WxH: WxH+X+Y of a visible window of CLASS of that size, empty while there is none.
window_geometry() {
  local id WINDOW WIDTH HEIGHT X Y SCREEN
  for id in $(xdotool search --onlyvisible --class "$1" 2>/dev/null); do
    window_at "$id" || continue
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
