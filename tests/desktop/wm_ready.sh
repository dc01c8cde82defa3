#!/bin/sh
# Run by run_screenshots.sh in a screenshot program's place: succeeds when
# the window manager's check window is up as the program starts.
if xprop -root _NET_SUPPORTING_WM_CHECK | grep -q '0x'; then
  exit 0
fi
echo "started before the window manager was ready" >&2
exit 1
