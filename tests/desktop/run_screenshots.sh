#!/usr/bin/env bash
# Runs the screenshot program under a virtual X server; 77 (skipped) when
# there is none to be had.
set -u
program=$1
out=$2
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run not found"; exit 77; }
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb not found"; exit 77; }
unset QT_QPA_PLATFORM
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$program" "$out"
