#!/bin/sh
# Installs the Debian packages the build needs, when any is missing, and the
# locales the locale tests run under.
set -e
# make: the generator cmake uses by default (not always there with cmake alone)
# xvfb, xdotool: the tests that run the program on a private X display;
# openbox, twm, i3-wm, herbstluftwm, x11-utils: those of them under a window manager (tests/desktop);
# x11-xkb-utils: setxkbmap, the keyboard layouts they type on
# libx11-dev: a window's urgency hint
# locales: de_DE and tr_TR for the tests of keys and case folding
PKGS="make qtbase5-dev qtbase5-dev-tools uuid-dev libcrypt-dev tango-icon-theme python3
      libx11-dev xvfb xdotool openbox twm i3-wm herbstluftwm x11-utils x11-xkb-utils locales"
# "name charset" as /etc/locale.gen lists them; locale -a shows them lower-case without "-"
LOCALES="de_DE.UTF-8:UTF-8 tr_TR.UTF-8:UTF-8 de_DE:ISO-8859-1"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q $missing
fi

have=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z' | tr -d '-')
gen=""
for l in $LOCALES; do
  name=${l%%:*}
  want=$(echo "$name" | tr 'A-Z' 'a-z' | tr -d '-')
  echo "$have" | grep -qx "$want" || gen="$gen $l"
done
[ -z "$gen" ] && exit 0
echo "Generating locales:$gen"
for l in $gen; do
  line="${l%%:*} ${l#*:}"
  # uncomment the line, or add it: locale-gen builds what the file lists
  if grep -qx "# *$line" /etc/locale.gen 2>/dev/null; then
    $SUDO sed -i "s/^# *$line\$/$line/" /etc/locale.gen
  elif ! grep -qx "$line" /etc/locale.gen 2>/dev/null; then
    echo "$line" | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
done
$SUDO locale-gen
