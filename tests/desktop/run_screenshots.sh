#!/usr/bin/env bash
# Runs the screenshot program under a virtual X server; 77 (skipped) when
# there is none to be had. With "wm" as the third argument a window manager
# (openbox) runs too when it is installed, so windows are placed, stacked
# and focused as on a desktop: the program starts only once the manager has
# put up its check window (_NET_SUPPORTING_WM_CHECK), however long that takes
# on a busy machine.
set -u
program=$1
out=$2
wm=${3:-}
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run not found"; exit 77; }
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb not found"; exit 77; }
unset QT_QPA_PLATFORM
if [[ "$wm" == wm ]] && command -v openbox >/dev/null 2>&1; then
  command -v xprop >/dev/null 2>&1 || { echo "xprop not found (x11-utils)"; exit 77; }
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    # The id the window names in its _NET_SUPPORTING_WM_CHECK, or nothing.
    check_of() { xprop -notype "$@" _NET_SUPPORTING_WM_CHECK 2>/dev/null | sed -n "s/^_NET_SUPPORTING_WM_CHECK.* \(0x[0-9a-fA-F]*\)\$/\1/p"; }
    openbox >/dev/null 2>&1 &
    manager=$!
    ready=
    for _ in $(seq 600); do
      kill -0 "$manager" 2>/dev/null || break
      id=$(check_of -root)
      # The check window names itself once the manager runs (a stale root
      # property would name a window that is gone).
      if [[ -n "$id" && "$(check_of -id "$id")" == "$id" ]]; then ready=1; break; fi
      sleep 0.05
    done
    if [[ -z "$ready" ]]; then
      echo "the window manager did not start" >&2
      kill "$manager" 2>/dev/null
      exit 1
    fi
    "$0" "$1"
    rc=$?
    kill "$manager" 2>/dev/null
    wait "$manager" 2>/dev/null
    exit $rc' "$program" "$out"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$program" "$out"
