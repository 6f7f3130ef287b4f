#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix of the build folder, never in
# the user's own ~/.wine.
#
#   wine-run.sh [--arch win32|win64] [--no-display] PREFIX PROGRAM [ARG...]
#
# PREFIX is created and initialised on first use (once, guarded by a lock, so
# that parallel tests share one initialisation); --arch chooses its kind then:
# win32 (the default) is a 32-bit Windows, where IsWow64Process says no; win64
# is a 64-bit Windows, where a 32-bit program runs under WoW64.
# --no-display hides any X display from Wine: a message box then returns at
# once with an error instead of waiting for a click. Without it the program
# gets the caller's DISPLAY, or a private Xvfb when the caller has none.
# The exit status is Wine's, which keeps only the low 8 bits of the program's
# exit code.
set -euo pipefail

arch=win32
display=inherit
while [ $# -gt 0 ]; do
  case "$1" in
    --arch) arch=$2; shift 2 ;;
    --no-display) display=none; shift ;;
    *) break ;;
  esac
done
if [ $# -lt 2 ]; then
  echo "usage: wine-run.sh [--arch win32|win64] [--no-display] PREFIX PROGRAM [ARG...]" >&2
  exit 2
fi
prefix=$(realpath -m "$1")
shift

export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
# Skips the offers to install Mono and Gecko while the prefix is created.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# The 64-bit loader creates a 64-bit prefix; afterwards the usual wine
# command runs 32-bit programs in either kind.
loader_for_init() {
  if [ "$arch" = win64 ]; then
    command -v wine64 || echo /usr/lib/wine/wine64
  else
    echo wine
  fi
}

# Windows live on a virtual desktop, one X window: with no window manager
# under Xvfb, Wine would otherwise wait two seconds for every closed dialog
# to be withdrawn.
use_virtual_desktop() {
  DISPLAY='' wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
  DISPLAY='' wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f
}

initialise_prefix() {
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -f "$prefix/.stubra-ready" ]; then
    rm -rf "$prefix"
    WINEARCH=$arch DISPLAY='' "$(loader_for_init)" wineboot -i >/dev/null 2>&1
    use_virtual_desktop >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.stubra-ready"
  fi
  flock -u 9
  exec 9>&-
}

[ -f "$prefix/.stubra-ready" ] || initialise_prefix

case "$display" in
  none) DISPLAY='' exec wine "$@" ;;
  inherit)
    if [ -n "${DISPLAY:-}" ]; then
      exec wine "$@"
    fi
    # Waits for Wine's own processes too, so that the private Xvfb is not
    # taken away under them.
    exec xvfb-run -a bash -c 'status=0; wine "$@" || status=$?; wineserver -w; exit $status' wine-run "$@"
    ;;
esac
