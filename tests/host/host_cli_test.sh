#!/bin/sh
# quorvix-host as users run it: on Quorvix, on bad input, and on a peer plug-in.
set -eu
host=$1; plugin=$2; demo=$3; fake=$4
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
# A fresh installation starts on factory bank 0: 64 named programs, none of them "Init".
programs=$(sed -n '/^programs:/,/^parameters:/p' "$work/info.txt" | grep -c '^  [ 0-9][ 0-9][0-9] [^ ]')
[ "$programs" -eq 64 ] || fail "info lists 64 programs"
grep -q '^    0 Init$' "$work/info.txt" && fail "a fresh instance starts on factory bank 0"

"$host" render "$plugin" "$demo" -o "$work/demo.wav" --rate 48000 --block 333 --tail 0.5 --quiet > "$work/render.txt" \
  || fail "render exits non-zero"
grep -q '^wrote .*demo.wav: 791000 frames at 48000 Hz' "$work/render.txt" || fail "render: $(cat "$work/render.txt")"
[ -s "$work/demo.wav" ] || fail "render wrote no WAV"
"$host" render "$plugin" "$demo" -o "$work/demo16.wav" --pcm16 --tempo 90 --program 3 --param 308=0.5 --tail 0 --quiet \
  > /dev/null || fail "render with options"
# float samples come in the extensible format chunk (tag FFFE, IEEE float sub-format), 16-bit in the plain one
[ "$(od -A n -t x1 -j 20 -N 2 "$work/demo.wav" | tr -d ' ')" = "feff" ] || fail "the float WAV is not extensible"
[ "$(od -A n -t x1 -j 44 -N 2 "$work/demo.wav" | tr -d ' ')" = "0300" ] || fail "the float WAV's sub-format is not float"
[ "$(od -A n -t x1 -j 20 -N 2 "$work/demo16.wav" | tr -d ' ')" = "0100" ] || fail "the 16-bit WAV is not PCM"

# bad input: a text file, a cut MIDI file, a missing plug-in, a bad option
echo "not midi" > "$work/text.mid"
head -c 30 "$demo" > "$work/cut.mid"
for bad in "render $plugin $work/text.mid -o $work/x.wav" "render $plugin $work/cut.mid -o $work/x.wav" \
           "render $work/none.so $demo -o $work/x.wav" "render $plugin $demo -o $work/x.wav --rate 0" \
           "info $work/none.so" "chunk load $plugin $work/none.fxb" "frobnicate"; do
  # shellcheck disable=SC2086
  if "$host" $bad > /dev/null 2> "$work/err.txt"; then fail "'$bad' succeeded"; fi
  [ -s "$work/err.txt" ] || fail "'$bad' said nothing on standard error"
done
# an incomplete command line says what is missing, shows the usage and exits with 2
for case in "render $plugin $demo|-o OUT.wav" "render $plugin|MIDI file" "info|PLUGIN.so" "chunk save $plugin|FILE" \
            "chunk|save or load" "render $plugin $demo $demo -o $work/x.wav|one too many"; do
  args=${case%%|*}; want=${case#*|}
  status=0
  # shellcheck disable=SC2086
  "$host" $args > /dev/null 2> "$work/err.txt" || status=$?
  [ "$status" -eq 2 ] || fail "'$args' exits with $status, not 2"
  grep -qF -- "$want" "$work/err.txt" || fail "'$args' does not mention $want: $(head -1 "$work/err.txt")"
  grep -q "^usage: quorvix-host" "$work/err.txt" || fail "'$args' shows no usage"
done
"$host" render "$plugin" "$work/text.mid" -o "$work/x.wav" 2>&1 | grep -q "not a Standard MIDI File" \
  || fail "a text file is called not a MIDI file"
"$host" render "$plugin" "$work/cut.mid" -o "$work/x.wav" 2>&1 | grep -q "truncated" || fail "a cut MIDI file is called truncated"
# a song of years (a delta of 2^28 quarters at 16.8 s each) is refused before anything is written;
# the file size limit stops a regression from filling the disk
printf 'MThd\000\000\000\006\000\000\000\001\000\001MTrk\000\000\000\022\000\377\121\003\377\377\377\377\377\377\177\220\074\144\000\377\057\000' \
  > "$work/years.mid"
if (ulimit -f 4096; "$host" render "$plugin" "$work/years.mid" -o "$work/years.wav" --quiet) > /dev/null 2> "$work/err.txt"; then
  fail "a song of years was rendered"
fi
grep -q -- "--max-length" "$work/err.txt" || fail "a song of years is refused with a hint: $(cat "$work/err.txt")"
[ ! -e "$work/years.wav" ] || fail "a refused song left a WAV"
if "$host" render "$plugin" "$demo" -o "$work/x.wav" --max-length 10 --quiet > /dev/null 2>&1; then
  fail "a 16-second song passed --max-length 10"
fi
"$host" render "$plugin" "$demo" -o "$work/x.wav" --max-length 20 --tail 0 --quiet > /dev/null || fail "--max-length 20"

# chunks: a plug-in's refusal is an error; as some plug-ins answer 0 to everything, a refusal is
# an answer of 0 with the state left as it was
"$host" chunk save "$plugin" "$work/q.fxb" > /dev/null || fail "chunk save"
"$host" chunk load "$plugin" "$work/q.fxb" > /dev/null || fail "chunk load of a saved bank"
"$host" chunk save "$fake" "$work/fake.fxb" > /dev/null || fail "chunk save on the fake plug-in"
"$host" chunk load "$fake" "$work/fake.fxb" > /dev/null || fail "chunk load of the fake plug-in's own chunk"
echo "garbage" > "$work/garbage.bin"
for bad in "chunk load $plugin $work/garbage.bin" "chunk load $fake $work/garbage.bin" \
           "render $plugin $demo -o $work/x.wav --chunk $work/garbage.bin --quiet"; do
  # shellcheck disable=SC2086
  if "$host" $bad > /dev/null 2> "$work/err.txt"; then fail "'$bad' succeeded"; fi
  grep -q "refused" "$work/err.txt" || fail "'$bad' does not say the chunk was refused: $(cat "$work/err.txt")"
done

# non-finite output is an error, not a level line; the broken WAV is not left behind
for sample in nan inf -inf; do
  if FAKE_INSTRUMENT_SAMPLE=$sample "$host" render "$fake" "$demo" -o "$work/nan.wav" --quiet > "$work/out.txt" \
       2> "$work/err.txt"; then
    fail "output of $sample passed"
  fi
  grep -q "non-finite" "$work/err.txt" || fail "output of $sample is not called non-finite: $(cat "$work/err.txt")"
  ! grep -q "peak" "$work/out.txt" || fail "output of $sample got a level line"
  [ ! -e "$work/nan.wav" ] || fail "output of $sample left a WAV"
done
FAKE_INSTRUMENT_SAMPLE=0.5 "$host" render "$fake" "$demo" -o "$work/half.wav" --quiet > "$work/out.txt" || fail "finite output"
grep -q "^peak 0.500000" "$work/out.txt" || fail "finite output level: $(cat "$work/out.txt")"

# a plug-in that names only its current program: info switches through them and back
"$host" info "$fake" > "$work/fake-info.txt" || fail "info on the fake plug-in"
for want in "current program:  0 (Fake 0)" "    0 Fake 0" "    2 Fake 2"; do
  grep -qF -- "$want" "$work/fake-info.txt" || fail "fake info lacks '$want'"
done

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
