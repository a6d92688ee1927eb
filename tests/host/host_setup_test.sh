#!/bin/sh
# quorvix-host's set-up options: tunings and factory banks through the plug-in's own commands,
# states saved with options, numbers outside the plug-in's ranges, files of other plug-ins, and
# message boxes that never wait for a user.
set -eu
host=$1; plugin=$2; fake=$3; data=$4; banks=$5
here=$(dirname "$0")
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
mkdir -p "$HOME"
unset DISPLAY WAYLAND_DISPLAY QUORVIX_DIALOG_ANSWERS || true
fail() { echo "FAIL: $*" >&2; exit 1; }
refused() { # refused WANT ARGS...: a non-zero exit whose message holds WANT
  want=$1; shift
  if "$host" "$@" > /dev/null 2> "$work/err.txt"; then fail "'$*' succeeded"; fi
  grep -qF -- "$want" "$work/err.txt" || fail "'$*' does not say '$want': $(cat "$work/err.txt")"
}

# half a second of A#4 (key 70)
printf 'MThd\000\000\000\006\000\000\000\001\001\340MTrk\000\000\000\015\000\220\106\144\203\140\200\106\000\000\377\057\000' \
  > "$work/key70.mid"
scales="$data/tuning/reference-tables/examples"
printf '[Tuning]\nNote 70 = 6900\n' > "$work/key70-a440.tun"
pitch() { # pitch NAME OPTIONS...: renders key 70 and prints the strongest of the expected pitches
  name=$1; shift
  "$host" render "$plugin" "$work/key70.mid" -o "$work/$name.wav" --tail 0.1 --quiet "$@" > /dev/null \
    2> "$work/$name.err" || fail "render $name: $(cat "$work/$name.err")"
  python3 "$here/wav_pitch.py" "$work/$name.wav" 440 450 466.16 715.38
}

# a tuning reaches the sound: equal temperament 466.16 Hz; the TUN file 440 Hz; 31-EDO one step
# above A4, 450 Hz; with the keyboard mapping (key 69 = degree 0, key 60 = 400 Hz) 715.38 Hz
[ "$(pitch plain)" = "466.16" ] || fail "key 70 without a tuning"
[ "$(pitch tun --tuning "$work/key70-a440.tun")" = "440" ] || fail "key 70 with a TUN file"
grep -q "Tuning file loaded." "$work/tun.err" || fail "the plug-in's message does not reach standard error"
[ "$(pitch scl --tuning "$scales/31edo2.scl")" = "450" ] || fail "key 70 in 31-EDO"
[ "$(pitch kbm --tuning "$scales/31edo2.scl" --kbm "$scales/31edo2-subset.kbm")" = "715.38" ] \
  || fail "key 70 in 31-EDO with a keyboard mapping"
# a tuning in a chunk is replaced, not mixed: the TUN file after a 31-EDO state
"$host" chunk save "$plugin" "$work/31edo.fxb" --tuning "$scales/31edo2.scl" > /dev/null 2>&1 || fail "save a tuned bank"
[ "$(pitch chunk --chunk "$work/31edo.fxb")" = "450" ] || fail "the saved bank does not carry its tuning"
[ "$(pitch both --chunk "$work/31edo.fxb" --tuning "$work/key70-a440.tun")" = "440" ] || fail "--tuning after --chunk"

# bad tunings: the reader's message, a non-zero exit and no WAV
printf '[Tuning]\nNote 70 = many\n' > "$work/bad.tun"
for bad in "$work/none.tun|Error opening the file." "$work/bad.tun|did not load the tuning file"; do
  file=${bad%%|*}
  refused "${bad#*|}" render "$plugin" "$work/key70.mid" -o "$work/bad.wav" --tuning "$file" --quiet
  grep -q "did not load the tuning file $file" "$work/err.txt" || fail "$file is not named"
  [ ! -e "$work/bad.wav" ] || fail "a failed tuning left a WAV"
done
refused "--kbm goes with a Scala scale" render "$plugin" "$work/key70.mid" -o "$work/x.wav" \
  --tuning "$work/key70-a440.tun" --kbm "$scales/31edo2-subset.kbm"
refused "--tuning needs a file name" render "$plugin" "$work/key70.mid" -o "$work/x.wav" --tuning --quiet
refused '1018 "TuningSource"' render "$fake" "$work/key70.mid" -o "$work/x.wav" --tuning "$work/key70-a440.tun"

# factory banks: the number is checked, and only plug-ins with the command take it
refused "factory banks are 0 to 8" render "$plugin" "$work/key70.mid" -o "$work/x.wav" --bank 9
refused "--bank needs the number" render "$plugin" "$work/key70.mid" -o "$work/x.wav" --bank two
refused '1016 "LoadBankSelector"' render "$fake" "$work/key70.mid" -o "$work/x.wav" --bank 0
# a bank that is there is loaded, and the next instance starts with it (the selector is saved at
# close); one without a source yet is refused with the plug-in's message
for bank in 0 1 2 3 4 5 6 7 8; do
  if ls "$banks/$bank-"*.fxb > /dev/null 2>&1; then
    "$host" render "$plugin" "$work/key70.mid" -o "$work/bank$bank.wav" --bank "$bank" --quiet > /dev/null \
      2> "$work/bank.err" || fail "--bank $bank: $(cat "$work/bank.err")"
    "$host" chunk save "$plugin" "$work/start$bank.fxb" > /dev/null 2>&1 || fail "chunk save"
    "$host" chunk save "$plugin" "$work/bank$bank.fxb" --bank "$bank" > /dev/null 2>&1 || fail "chunk save --bank $bank"
    cmp -s "$work/bank$bank.fxb" "$work/start$bank.fxb" || fail "the next instance does not start with bank $bank"
  else
    refused "did not load its factory bank $bank" render "$plugin" "$work/key70.mid" -o "$work/x.wav" --bank "$bank"
    grep -q "An error occured while loading the bank!" "$work/err.txt" || fail "--bank $bank: no message of the plug-in"
  fi
done
rm -f "$XDG_CONFIG_HOME/Brenwick/Quorvix/ini"

# numbers outside the plug-in's ranges, and values outside 0..1
for case in "--param 1000=0.5|parameters are 0 to 999" "--param 1018=0.375|parameters are 0 to 999" \
            "--param 5=1.5|value from 0 to 1" "--param 5=-0.1|value from 0 to 1" "--param -1=0.5|INDEX=VALUE" \
            "--program 64|programs are 0 to 63" "--program -1|program number"; do
  # shellcheck disable=SC2086
  refused "${case#*|}" render "$plugin" "$work/key70.mid" -o "$work/x.wav" ${case%%|*}
  # shellcheck disable=SC2086
  refused "${case#*|}" chunk save "$plugin" "$work/x.fxb" ${case%%|*}
done
[ ! -e "$work/x.wav" ] && [ ! -e "$work/x.fxb" ] || fail "refused options left a file"

# chunk save takes the set-up options; .fxp makes a program file
"$host" chunk save "$plugin" "$work/p3.fxp" --program 3 > "$work/out.txt" || fail "save program 3"
grep -q "of program state" "$work/out.txt" || fail "an .fxp is not a program file: $(cat "$work/out.txt")"
"$host" chunk save "$plugin" "$work/p3-tweaked.fxp" --program 3 --param 108=0.25 > /dev/null || fail "save a tweaked program"
! cmp -s "$work/p3.fxp" "$work/p3-tweaked.fxp" || fail "--param does not reach the saved program"
"$host" chunk load "$plugin" "$work/p3-tweaked.fxp" > /dev/null || fail "load the tweaked program"
# a missing file name is never taken from the next option, and no file of that name is made
(cd "$work" && refused "--program needs a program number" chunk save "$plugin" --program)
[ ! -e "$work/--program" ] || fail "chunk save made a file named --program"

# a state saved from another plug-in is refused
"$host" chunk save "$fake" "$work/fake.fxb" > /dev/null || fail "save the fake plug-in's bank"
refused "unique ID 'Fake'" chunk load "$plugin" "$work/fake.fxb"
refused "unique ID 'Fake'" render "$plugin" "$work/key70.mid" -o "$work/x.wav" --chunk "$work/fake.fxb"
refused "unique ID 'Quor'" chunk load "$fake" "$work/31edo.fxb"

# with a display and a dialog program at hand, a refused chunk still opens no box: its text goes
# to standard error and the command ends
mkdir -p "$work/bin"
printf '#!/bin/sh\ntouch "%s/box-opened"\nsleep 30\n' "$work" > "$work/bin/zenity"
chmod +x "$work/bin/zenity"
echo "garbage" > "$work/garbage.bin"
if DISPLAY=:77 PATH="$work/bin:$PATH" timeout 20 "$host" chunk load "$plugin" "$work/garbage.bin" > /dev/null \
     2> "$work/err.txt"; then
  fail "a refused chunk was taken"
fi
[ ! -e "$work/box-opened" ] || fail "the plug-in opened a message box"
grep -q "Quorvix - ERROR" "$work/err.txt" || fail "the plug-in's error text is not on standard error: $(cat "$work/err.txt")"
grep -q "refused" "$work/err.txt" || fail "the refusal is not reported"
echo "host_setup: ok"
