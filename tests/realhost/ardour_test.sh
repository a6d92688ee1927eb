#!/bin/sh
# A real DAW loads, plays and reports Quorvix.so: Ardour's own VST scanner and an offline render.
set -eu
plugin=$(readlink -f "$1")
here=$(dirname "$(readlink -f "$0")")
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
# Ardour finds its scripts under $HOME/.config, so the private homes also hold Quorvix's settings.
unset XDG_CONFIG_HOME XDG_DATA_HOME || true
export HOME="$work/home" ARDOUR_CHECK_HOME="$work/ardour"
mkdir -p "$HOME"
# Ardour runs with ARDOUR_CHECK_HOME as its home, where Quorvix reads its settings: "Random Presets"
# saved as the bank starts the instance on the "Init" bank, whose chord ends with its release
# (factory program 0 rings on through its delay).
settings="$ARDOUR_CHECK_HOME/.config/Brenwick/Quorvix"
mkdir -p "$settings"
printf 'QXSF\004\000\000\000\000\000\000\000\001\000\001\000\001\001\000\001\000\011\000\000\000Bones\000' \
  > "$settings/ini"
unset DISPLAY WAYLAND_DISPLAY || true
fail() { echo "FAIL: $*" >&2; exit 1; }

[ -x /usr/lib/ardour7/ardour-vst-scanner ] || fail "Ardour 7 is not installed (scripts/deps installs it)"
scan=$(LD_LIBRARY_PATH=/usr/lib/ardour7 timeout 60 /usr/lib/ardour7/ardour-vst-scanner -f -v "$plugin" 2>&1) \
  || fail "Ardour's scanner failed: $scan"
info=$(printf '%s\n' "$scan" | grep -m1 '<VST2Info ') || fail "no VST2Info in: $scan"
for want in 'name="Quorvix"' 'creator="Brenwick"' 'is_instrument="1"' 'n_inputs="0"' 'n_outputs="2"' \
            'can_process_replace="1"' 'has_editor="1"'; do
  printf '%s\n' "$info" | grep -qF "$want" || fail "Ardour reports $info, without $want"
done
echo "scan: $info"

"$here/ardour/render.sh" "$plugin" "$here/ardour/chord.txt" 2 "$work/out.wav" 48000 1024 > "$work/render.log" 2>&1 \
  || { cat "$work/render.log" >&2; fail "Ardour could not render through the plug-in"; }
[ -s "$work/out.wav" ] || fail "Ardour wrote no WAV"
echo "render: $(grep 'export ok' "$work/render.log")"
# chord.txt holds a chord from 0 to 1.5 s: sound while it is held, silence after its release
playing=$(python3 "$here/wav_level.py" "$work/out.wav" 0.2 1.4)
after=$(python3 "$here/wav_level.py" "$work/out.wav" 1.7 2.0)
echo "levels: $playing while held, $after after the release"
awk -v p="$playing" 'BEGIN { exit !(p > 0.02) }' || fail "Ardour's render is silent while the chord is held"
awk -v a="$after" 'BEGIN { exit !(a < 0.0001) }' || fail "the chord keeps sounding after its release"

# The editor in Ardour's plug-in window (Ardour's toolbar on top): the built-in skin's
# dark page shows, drawn by the plug-in on Ardour's own GUI thread.
"$here/ardour/editor_shot.sh" "$plugin" "$work/editor.png" 120 > "$work/editor.log" 2>&1 \
  || { cat "$work/editor.log" >&2; fail "Ardour did not show the editor"; }
size=$(identify -format '%wx%h' "$work/editor.png")
mean=$(convert "$work/editor.png" -crop 600x400+20+100 +repage -colorspace gray -format '%[fx:mean]' info:)
echo "editor: $size, mean grey $mean"
[ "$size" = "640x550" ] || fail "Ardour's editor window is $size, not 640 x 550 (510 and Ardour's toolbar)"
awk -v m="$mean" 'BEGIN { exit !(m < 0.25) }' || fail "the editor window does not show the skin's page"
