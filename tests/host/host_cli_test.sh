#!/bin/sh
# quorvix-host as users run it: on Quorvix, on bad input, and on a peer plug-in.
set -eu
host=$1; plugin=$2; demo=$3
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
mkdir -p "$HOME"
unset DISPLAY WAYLAND_DISPLAY || true
fail() { echo "FAIL: $*" >&2; exit 1; }

"$host" info "$plugin" > "$work/info.txt" || fail "info exits non-zero"
for want in "magic:            0x56737450 (VstP)" "uniqueID:         0x51756F72 (Quor)" "flags:            0x131" \
            "numPrograms:      64" "numParams:        1000" "numInputs:        0" "numOutputs:       2" \
            "effect name:      Quorvix" "vendor:           Brenwick" "product:          Quorvix VST-Synth" \
            "vendor version:   225" "VST version:      2300" "category:         2" "Quor1 L" "T4|FiltFreq"; do
  grep -qF -- "$want" "$work/info.txt" || fail "info lacks '$want'"
done
[ "$(grep -c '^  [ 0-9][ 0-9][0-9] Init$' "$work/info.txt")" -eq 64 ] || fail "info lists 64 programs"

"$host" render "$plugin" "$demo" -o "$work/demo.wav" --rate 48000 --block 333 --tail 0.5 --quiet > "$work/render.txt" \
  || fail "render exits non-zero"
grep -q '^wrote .*demo.wav: 791000 frames at 48000 Hz' "$work/render.txt" || fail "render: $(cat "$work/render.txt")"
[ -s "$work/demo.wav" ] || fail "render wrote no WAV"
"$host" render "$plugin" "$demo" -o "$work/demo16.wav" --pcm16 --tempo 90 --program 3 --param 308=0.5 --tail 0 --quiet \
  > /dev/null || fail "render with options"

# bad input: a text file, a cut MIDI file, a missing plug-in, a bad option
echo "not midi" > "$work/text.mid"
head -c 30 "$demo" > "$work/cut.mid"
for bad in "render $plugin $work/text.mid -o $work/x.wav" "render $plugin $work/cut.mid -o $work/x.wav" \
           "render $work/none.so $demo -o $work/x.wav" "render $plugin $demo -o $work/x.wav --rate 0" \
           "render $plugin $demo" "info $work/none.so" "chunk load $plugin $work/none.fxb" \
           "frobnicate"; do
  # shellcheck disable=SC2086
  if "$host" $bad > /dev/null 2> "$work/err.txt"; then fail "'$bad' succeeded"; fi
  [ -s "$work/err.txt" ] || fail "'$bad' said nothing on standard error"
done
"$host" render "$plugin" "$work/text.mid" -o "$work/x.wav" 2>&1 | grep -q "not a Standard MIDI File" \
  || fail "a text file is called not a MIDI file"
"$host" render "$plugin" "$work/cut.mid" -o "$work/x.wav" 2>&1 | grep -q "truncated" || fail "a cut MIDI file is called truncated"
for cmd in info render chunk; do "$host" "$cmd" --help | grep -q "usage: quorvix-host $cmd" || fail "$cmd --help"; done

# a peer plug-in: the same host plays another VST 2.x instrument
peer=/usr/lib/vst/amsynth_vst.so
if [ -f "$peer" ]; then
  # The peer and the libraries it loads leak at start; under the sanitizers only our leaks count.
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
  export ASAN_OPTIONS
  "$host" info "$peer" > "$work/peer.txt" || fail "info on $peer"
  grep -q "numOutputs" "$work/peer.txt" || fail "peer info"
  "$host" render "$peer" "$demo" -o "$work/peer.wav" --tail 0.5 --quiet > "$work/peer-render.txt" || fail "render on $peer"
  if grep -q "silent" "$work/peer-render.txt"; then fail "the peer plug-in rendered silence"; fi
  "$host" chunk save "$peer" "$work/peer.fxb" > /dev/null || fail "chunk save on $peer"
  "$host" chunk load "$peer" "$work/peer.fxb" > /dev/null || fail "chunk load on $peer"
  echo "peer $peer: $(tail -1 "$work/peer-render.txt")"
else
  echo "note: $peer is not installed; the peer check is skipped"
fi
echo "host_cli: ok"
