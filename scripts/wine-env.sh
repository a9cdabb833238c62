# Sourced by the scripts that run Windows programs: a quiet Wine without Mono or Gecko prompts.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64

# ZOR_BITS=32: the 32-bit release build, run by the wow64 Wine that scripts/wow64-wine.sh makes,
# where 64-bit Windows puts a 32-bit program: its program folder, its system folder and its view of
# the registry's software keys (the option `wine reg` takes), and the name its packages carry.
# ZOR_WINE_VERSION (win7, winxp, win2k): the Windows version a new prefix presents; the wow64 Wine
# would otherwise present Windows 10.
if [ "${ZOR_BITS:-64}" = 32 ]; then
  PATH="${ZOR_WOW64_BIN:-/var/cache/zorwise/wow64/bin}:$PATH"
  zor_program_files='Program Files (x86)'
  zor_system_dir=syswow64
  zor_reg_view=/reg:32
  zor_arch=x86
  ZOR_WINE_VERSION=${ZOR_WINE_VERSION:-win7}
else
  zor_program_files='Program Files'
  zor_system_dir=system32
  zor_reg_view=/reg:64
  zor_arch=x64
fi

# zor_nt5: whether new prefixes present Windows 2000 or XP, where zor2 takes its NT 5.x branches.
zor_nt5() { case "${ZOR_WINE_VERSION:-}" in win2k | winxp | winxp64) return 0 ;; *) return 1 ;; esac; }

# zor_new_prefix DIR: a fresh, initialised Wine prefix in DIR.
zor_new_prefix() {
  rm -rf "$1"
  mkdir -p "$1"
  WINEPREFIX="$1" wineboot -i >/dev/null 2>&1
  if [ -n "${ZOR_WINE_VERSION:-}" ]; then
    WINEPREFIX="$1" wine reg add 'HKCU\Software\Wine' /v Version /d "$ZOR_WINE_VERSION" /f >/dev/null 2>&1
  fi
  if [ "${ZOR_BITS:-64}" = 32 ] && ! zor_nt5; then
    # Wine 10 makes the 32-bit Run key in a new prefix, Wine 8 does not: the tests start without it.
    # Windows 2000 and XP always have it.
    WINEPREFIX="$1" wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' \
      /reg:32 /f >/dev/null 2>&1 || true
  fi
  WINEPREFIX="$1" wineserver -w
}
