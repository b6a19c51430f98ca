#!/bin/sh
# Installs the Debian packages the build needs, when any is missing.
set -e
# make: the generator cmake uses by default (not always there with cmake alone)
# xvfb, xdotool: the tests that run the program on a private X display;
# openbox, x11-utils: those of them under a window manager (tests/desktop)
PKGS="make qtbase5-dev qtbase5-dev-tools uuid-dev libcrypt-dev tango-icon-theme python3
      xvfb xdotool openbox x11-utils"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing:$missing"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q $missing
