#!/usr/bin/env bash
# A fleet of simulated desktops on this machine, watched by Prometheus: each desktop is a Wine
# prefix of its own with Zorwise deployed from the MSI package (DEMO=1, the metrics folder set in
# an INFO.DAT laid down beforehand), its own ZOR2 Service and simulated board (each with another
# profile, load and level); each desktop's metrics folder is read by a prometheus-node-exporter
# textfile collector of its own, one Prometheus scrapes them all, and after a few minutes the demo
# asks Prometheus (PromQL) what the fleet saved and what its CPUs used, per desktop and in all.
# Everything listens on 127.0.0.1 only, the run is bounded (FLEET_MINUTES, 3 by default) and it
# ends what it started: the exporters, Prometheus and each prefix's Wine server (the prefixes go
# too; the logs and prometheus.yml stay in build/fleet). Not run in CI.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
scripts/install-deps.sh
minutes=${FLEET_MINUTES:-3}
build=${ZOR_WIN64_BUILD:-build/win64}
cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" --target zor_msi -j "$(nproc)"
msi=$(ls "$repo/$build"/installer/Zorwise-*-x64.msi | head -1)

source scripts/wine-env.sh
fleet=$repo/build/fleet
rm -rf "$fleet"
mkdir -p "$fleet"
# name profile load level(1-3): each desktop's board.
desktops=(
  "desk1 x58-6 25 1"
  "desk2 x58-12-range 60 2"
  "desk3 p55-24-smbus 90 3"
)
exporter_port=${FLEET_EXPORTER_PORT:-19101}
prometheus_port=${FLEET_PROMETHEUS_PORT:-19190}

pids=()
prefixes=()
cleanup() {
  local pid prefix
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  for prefix in "${prefixes[@]}"; do WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true; done
  # A prefix is some 700 MB: only the logs and Prometheus' configuration are kept.
  for prefix in "${prefixes[@]}"; do rm -rf "$prefix"; done
  rm -rf "$fleet/tsdb"
}
trap cleanup EXIT

port_free() { ! ss -ltnH "sport = :$1" 2>/dev/null | grep -q .; }
# wait_until SECONDS COMMAND...: polls each half second until the command succeeds.
wait_until() {
  local until=$(($(date +%s) + $1))
  shift
  until "$@"; do
    [ "$(date +%s)" -lt "$until" ] || return 1
    sleep 0.5
  done
}
section() { printf '\n== %s\n' "$*"; }

section "Deploying $(basename "$msi") to ${#desktops[@]} simulated desktops (msiexec /i ... /qn DEMO=1)"
index=0
targets=""
for desktop in "${desktops[@]}"; do
  read -r name profile load level <<< "$desktop"
  prefix=$fleet/$name
  zor_new_prefix "$prefix"
  prefixes+=("$prefix")
  export WINEPREFIX=$prefix
  wineserver -p
  app="$prefix/drive_c/Program Files/Zorwise"
  mkdir -p "$app" "$prefix/drive_c/metrics"
  printf '[Metrics]\r\nFolder=C:\\metrics\r\n' > "$app/INFO.DAT"
  wine msiexec /i "$(winepath -w "$msi")" /qn DEMO=1
  # The board this desktop has: stopped service, new board, then the service again.
  wine net stop "ZOR2 Service" >/dev/null 2>&1 || true
  stopped() { wine sc query "ZOR2 Service" 2>/dev/null | tr -d '\r' | grep -q STOPPED; }
  wait_until 20 stopped
  simboard() { wine "C:\\Program Files\\Zorwise\\simboard.exe" "$@" 2>/dev/null | tr -d '\r'; }
  simboard create --profile "$profile" >/dev/null
  simboard pin-load "$load" >/dev/null
  flags=$(simboard show | sed -n 's/.*ControlFlags=\(0x[0-9a-fA-F]*\).*/\1/p' | head -1)
  code=$(( level == 1 ? 5 : level == 2 ? 3 : 1 ))
  simboard flags "$(printf '0x%04x' $(( (flags & ~0xF0) | (code << 4) | 1 )))" >/dev/null
  wine net start "ZOR2 Service" >/dev/null 2>&1
  printf '   %s: profile %-14s load %2s%%  level L%s  %s\n' "$name" "$profile" "$load" "$level" \
    "$(wine sc query "ZOR2 Service" 2>/dev/null | tr -d '\r' | awk '/STATE/ {print $4}')"

  port=$((exporter_port + index))
  port_free "$port" || { echo "port $port is taken" >&2; exit 1; }
  prometheus-node-exporter --web.listen-address="127.0.0.1:$port" \
    --collector.disable-defaults --collector.textfile \
    --collector.textfile.directory="$prefix/drive_c/metrics" > "$fleet/$name-exporter.log" 2>&1 &
  pids+=($!)
  targets="$targets        - targets: ['127.0.0.1:$port']
          labels: {desktop: '$name'}
"
  index=$((index + 1))
done

section "One Prometheus scraping the ${#desktops[@]} textfile collectors every 5 s (127.0.0.1:$prometheus_port)"
port_free "$prometheus_port" || { echo "port $prometheus_port is taken" >&2; exit 1; }
cat > "$fleet/prometheus.yml" <<EOF
global:
  scrape_interval: 5s
scrape_configs:
  - job_name: zorwise
    static_configs:
$targets
EOF
promtool check config "$fleet/prometheus.yml" | sed 's/^/   /'
prometheus --config.file="$fleet/prometheus.yml" --storage.tsdb.path="$fleet/tsdb" \
  --web.listen-address="127.0.0.1:$prometheus_port" > "$fleet/prometheus.log" 2>&1 &
pids+=($!)
url=http://127.0.0.1:$prometheus_port
query() { promtool query instant "$url" "$1" 2>/dev/null; }
all_up() { [ "$(query 'count(zorwise_board_info)' | sed -n 's/.*=> \([0-9]*\) .*/\1/p')" = "${#desktops[@]}" ]; }
wait_until 60 all_up || { echo "Prometheus did not see every desktop" >&2; exit 1; }
query 'zorwise_board_info' | sed 's/ @.*//; s/^/   /'

section "Collecting for $minutes minutes"
sleep $((minutes * 60))

# table TITLE EXPR UNIT [each]: the query's value per desktop, and in all unless "each".
table() {
  echo "-- $1"
  query "sum by (desktop) ($2)" | sed -n 's/.*desktop="\([^"]*\)".*=> \([^ ]*\) .*/\1 \2/p' | sort |
    awk -v u="$3" '{ printf "   %-8s %14.6f %s\n", $1, $2, u }'
  [ "${4:-}" = each ] && return
  query "sum($2)" | sed -n 's/.*=> \([^ ]*\) .*/\1/p' | awk -v u="$3" '{ printf "   %-8s %14.6f %s\n", "fleet", $1, u }'
}
window="${minutes}m"
section "What the fleet did in the last $window (PromQL over the scraped metrics)"
table "saving figure, increase(zorwise_saving_figure_total[$window])" \
  "increase(zorwise_saving_figure_total[$window])" "(firmware's figure)"
table "CPU energy, increase(zorwise_cpu_energy_joules_total[$window]) / 3600" \
  "increase(zorwise_cpu_energy_joules_total[$window]) / 3600" Wh
table "time saving, increase(zorwise_saving_seconds_total[$window])" \
  "increase(zorwise_saving_seconds_total[$window])" s
table "CPU power now, zorwise_cpu_power_watts" "zorwise_cpu_power_watts" W
table "level now, zorwise_saving_level" "zorwise_saving_level" "" each
echo
echo "Cleaning up: the exporters, Prometheus and the Wine servers of ${#desktops[@]} prefixes."
