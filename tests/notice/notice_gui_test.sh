#!/bin/sh
# Starts Quorvix_NoVSTHost under Xvfb: the window and both texts show, the about box opens and
# closes, Escape ends the program with status 0.
set -eu
run() {
  shots=$(mktemp -d)
  trap 'rm -rf "$shots"' EXIT
  "$program" --ignored-argument &
  pid=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Quorvix_NoVSTHost$' | head -1)
  [ -n "$window" ] || { echo "no window titled Quorvix_NoVSTHost"; exit 1; }
  import -window "$window" "$shots/notice.png"
  # Each text box shows text: many shades where the glyphs are.
  for box in 426x96+43+28 426x96+43+153; do
    shades=$(convert "$shots/notice.png" -crop "$box" -format %k info:)
    [ "$shades" -gt 20 ] || { echo "text box $box is blank ($shades shades)"; exit 1; }
  done
  # The about button sits right of OK, 203..313 x 164..178 dialog units.
  xdotool mousemove --window "$window" 387 278 click 1
  about=$(timeout 10 xdotool search --sync --onlyvisible --name 'Info .*ber Quorvix_NoVSTHost' | head -1)
  [ -n "$about" ] || { echo "the about box did not open"; exit 1; }
  import -window "$about" "$shots/about.png"
  xdotool mousemove --window "$about" 304 22 click 1
  sleep 1
  if xdotool search --onlyvisible --name 'Info .*ber Quorvix_NoVSTHost' > /dev/null; then
    echo "the about box did not close"; exit 1
  fi
  kill -0 "$pid" || { echo "closing the about box ended the program"; exit 1; }
  xdotool mousemove --window "$window" 240 150
  xdotool key Escape
  status=0
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || { echo "exit status $status"; exit 1; }
  echo "notice program: window, texts, about box and Escape as expected"
}
if [ "$1" = "--inside" ]; then
  program=$2
  run
else
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside "$1"
fi
