#!/bin/sh
# Runs a command on a virtual X server of its own, managed by openbox:
#   with_window_manager.sh COMMAND [ARGUMENTS...]
# The command starts once openbox manages the screen, and openbox ends with
# it. Exits with the command's status.
set -eu
[ $# -gt 0 ] || { echo "usage: with_window_manager.sh COMMAND [ARGUMENTS...]" >&2; exit 2; }

exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" sh -c '
  # The openbox settings Debian installs (/etc/xdg/openbox), never those of
  # a home folder.
  XDG_CONFIG_HOME=/nonexistent openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  # A window manager announces itself on the root window.
  tries=0
  until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ] || ! kill -0 $wm 2>/dev/null; then
      echo "openbox did not start" >&2
      exit 1
    fi
    sleep 0.1
  done
  status=0
  "$@" || status=$?
  kill $wm 2>/dev/null || true
  wait $wm 2>/dev/null || true
  exit $status' sh "$@"
