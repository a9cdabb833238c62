# Sourced by the Wine end-to-end tests: what most of them need besides Wine itself.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"

# wait_for SECONDS COMMAND...: polls every 0.1 s until the command succeeds.
wait_for() {
  local until=$(($(date +%s%N) + $1 * 1000000000))
  shift
  while ! "$@"; do
    [ "$(date +%s%N)" -lt "$until" ] || return 1
    sleep 0.1
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
