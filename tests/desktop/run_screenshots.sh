#!/usr/bin/env bash
# Runs the screenshot program under a virtual X server; 77 (skipped) when
# there is none to be had. With "wm" as the third argument a window manager
# (openbox) runs too when it is installed, so windows are placed, stacked
# and focused as on a desktop.
set -u
program=$1
out=$2
wm=${3:-}
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run not found"; exit 77; }
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb not found"; exit 77; }
unset QT_QPA_PLATFORM
if [[ "$wm" == wm ]] && command -v openbox >/dev/null 2>&1; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    openbox >/dev/null 2>&1 &
    manager=$!
    sleep 1
    "$0" "$1"
    rc=$?
    kill "$manager" 2>/dev/null
    wait "$manager" 2>/dev/null
    exit $rc' "$program" "$out"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$program" "$out"
