# Sourced by the scripts that run Windows programs: a quiet Wine without Mono or Gecko prompts.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64

# zor_new_prefix DIR: a fresh, initialised Wine prefix in DIR.
zor_new_prefix() {
  rm -rf "$1"
  mkdir -p "$1"
  WINEPREFIX="$1" wineboot -i >/dev/null 2>&1
  WINEPREFIX="$1" wineserver -w
}
