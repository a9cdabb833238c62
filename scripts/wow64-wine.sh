#!/usr/bin/env bash
# Makes the Wine that runs the 32-bit release build on these 64-bit-only machines: Wine 10's wow64
# mode from a Debian 13 tree (mmdebstrap), entered with chroot. Prints the folder of the wrapper
# commands (wine, wineserver, wineboot, winepath) to put first on PATH; the existing test scripts
# then run unchanged. Cached: the tree is made again only when its package list or recipe changes.
#
#   scripts/wow64-wine.sh            make the tree if needed, print the wrappers' folder
#   ZOR_WOW64_CACHE=DIR ...          cache folder (default /var/cache/zorwise/wow64)
#
# Needs root (mmdebstrap, chroot, mount namespaces).
set -euo pipefail

cache=${ZOR_WOW64_CACHE:-/var/cache/zorwise/wow64}
suite=trixie
mirror=http://deb.debian.org/debian
packages=(
  wine wine64 libwine fonts-wine
  # What Wine's X11 driver loads at run time.
  libxcursor1 libxi6 libxrandr2 libxrender1 libxfixes3 libxinerama1 libxcomposite1 libxxf86vm1
  libgnutls30t64 libdbus-1-3 libkrb5-3 libgssapi-krb5-2
  # The history test moves the clock with LD_PRELOAD.
  libfaketime
)
# Raise when the steps below change, so that cached trees are made again.
recipe=1
stamp=$(printf '%s\n' "$suite" "$mirror" "$recipe" "${packages[@]}" | sha256sum | cut -c1-16)

root="$cache/root"
bin="$cache/bin"

[ "$(id -u)" -eq 0 ] || { echo "wow64-wine.sh: needs root" >&2; exit 1; }

# The 32-bit PE DLLs come from libwine:i386, unpacked into the 64-bit tree. No i386 Unix package may
# be installed: a 32-bit loader present makes Wine exec it instead of using wow64 mode. The package
# is downloaded while mmdebstrap still has the package lists.
add_i386_pe_dlls() {
  local tree=$1
  local deb unpacked="$tree/var/tmp/libwine32"
  deb=$(ls "$tree"/var/tmp/libwine_*_i386.deb)
  mkdir "$unpacked"
  dpkg-deb -x "$deb" "$unpacked"
  mkdir -p "$tree/usr/lib/x86_64-linux-gnu/wine/i386-windows"
  cp -a "$unpacked/usr/lib/i386-linux-gnu/wine/i386-windows/." \
    "$tree/usr/lib/x86_64-linux-gnu/wine/i386-windows/"
  rm -rf "$unpacked" "$deb"
  if [ -e "$tree/usr/lib/wine/wine" ]; then
    echo "wow64-wine.sh: a 32-bit Wine loader is in the tree" >&2
    return 1
  fi
}

# Debug sections of the PE DLLs: half the tree, and copied into every new prefix.
strip_pe_dlls() {
  local tree=$1 arch
  for arch in x86_64 i386; do
    local tool=x86_64-w64-mingw32-strip
    [ "$arch" = i386 ] && tool=i686-w64-mingw32-strip
    find "$tree/usr/lib/x86_64-linux-gnu/wine/$arch-windows" -type f \
      \( -name '*.dll' -o -name '*.exe' -o -name '*.drv' -o -name '*.sys' -o -name '*.cpl' \
         -o -name '*.ocx' -o -name '*.acm' -o -name '*.ax' -o -name '*.tlb' -o -name '*.ds' \) \
      -print0 | xargs -0 -r -n 64 "$tool" --strip-debug 2>/dev/null || true
  done
}

make_tree() {
  local new="$cache/root.new"
  rm -rf "$new"
  local IFS=,
  mmdebstrap --quiet --variant=minbase --architectures=amd64,i386 --include="${packages[*]}" \
    --customize-hook='chroot "$1" sh -c "cd /var/tmp && apt-get download -q libwine:i386"' \
    "$suite" "$new" "$mirror"
  unset IFS
  add_i386_pe_dlls "$new"
  strip_pe_dlls "$new"
  # libwayland wants a runtime folder that only its user may enter.
  install -d -m 700 "$new/run/xdg"
  rm -rf "$root"
  mv "$new" "$root"
}

# One wrapper script; its name says which Wine command it runs. Replaced only when it changed, and
# then by a rename, as other runs may be calling it.
write_wrappers() {
  mkdir -p "$bin"
  local source name
  source="$(dirname "$0")/wow64-wrapper.sh"
  if ! cmp -s "$source" "$bin/wow64-wrapper"; then
    install -m 755 "$source" "$bin/.wow64-wrapper.new"
    mv -f "$bin/.wow64-wrapper.new" "$bin/wow64-wrapper"
  fi
  for name in wine wine64 wineserver wineboot winepath; do
    [ -L "$bin/$name" ] || ln -s wow64-wrapper "$bin/$name"
  done
}

mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9
if [ "$(cat "$cache/stamp" 2>/dev/null)" != "$stamp" ] || [ ! -x "$root/usr/bin/wine" ]; then
  rm -f "$cache/stamp"
  echo "Making the wow64 Wine tree in $root" >&2
  start=$(date +%s)
  make_tree
  echo "$stamp" > "$cache/stamp"
  echo "wow64 Wine tree made in $(($(date +%s) - start)) s, $(du -sh "$root" | cut -f1)" >&2
fi
write_wrappers
echo "$bin"
