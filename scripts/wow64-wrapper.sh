#!/usr/bin/env bash
# A Wine command (wine, wineserver, wineboot, winepath: the name it is called by) run inside the
# wow64 Wine tree that scripts/wow64-wine.sh made beside this file's folder. Each call gets its own
# private mount namespace, so its mounts vanish with the last process in it (the wineserver it may
# start included) and nothing stays mounted on the host. /tmp is the host's (the wineserver socket,
# X), and the top folder of the current directory, of WINEPREFIX and of each ZOR_WOW64_SHARE entry
# (colon-separated) appears at its own path, so host paths stay valid inside.
set -euo pipefail

here=$(dirname "$(readlink -f "$0")")
root=$(readlink -f "$here/../root")
name=$(basename "$0")

# share_of PATH: the host folder to bind for PATH: its top folder, or PATH itself where the top
# folder is one the tree has of its own.
share_of() {
  local rest=${1#/}
  local top="/${rest%%/*}"
  case "$top" in
    / | /bin | /boot | /dev | /etc | /lib* | /proc | /run | /sbin | /sys | /tmp | /usr | /var) echo "$1" ;;
    *) echo "$top" ;;
  esac
}

if [ "${ZOR_WOW64_INSIDE:-}" != 1 ]; then
  export ZOR_WOW64_INSIDE=1
  exec unshare --mount --propagation private -- "$here/wow64-wrapper" "$name" "$@"
fi
# Inside the new namespace; the first argument is the command's name.
unset ZOR_WOW64_INSIDE
name=$1
shift

mount -t proc proc "$root/proc"
for dir in /dev /sys /tmp; do
  mount --rbind "$dir" "$root$dir"
  mount --make-rslave "$root$dir"
done
shares=()
if [ -n "${WINEPREFIX:-}" ]; then shares+=("$(share_of "$WINEPREFIX")"); fi
shares+=("$(share_of "$PWD")")
IFS=: read -r -a extra <<< "${ZOR_WOW64_SHARE:-}"
for dir in "${extra[@]}"; do
  if [ -n "$dir" ]; then shares+=("$(share_of "$dir")"); fi
done
for dir in "${shares[@]}"; do
  case "$dir" in / | /tmp | /tmp/*) continue ;; esac
  [ -d "$dir" ] || continue
  mountpoint -q "$root$dir" 2>/dev/null && continue
  mkdir -p "$root$dir"
  mount --rbind "$dir" "$root$dir"
  mount --make-rslave "$root$dir"
done

# A clean environment: what Wine, X, the locale and the faked clock need, nothing of the host's.
env=(PATH=/usr/local/bin:/usr/bin:/bin HOME=/root USER=root XDG_RUNTIME_DIR=/run/xdg)
while IFS= read -r -d '' var; do
  case "${var%%=*}" in
    WINE* | DISPLAY | XAUTHORITY | LANG | LANGUAGE | LC_* | TZ | LD_PRELOAD | FAKETIME* | \
      DONT_FAKE_MONOTONIC) env+=("$var") ;;
  esac
done < <(env -0)

exec chroot "$root" /usr/bin/env -i "${env[@]}" \
  /bin/sh -c 'cd "$0" 2>/dev/null || cd /; exec "$@"' "$PWD" "$name" "$@"
