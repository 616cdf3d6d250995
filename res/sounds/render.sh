#!/bin/sh
# Synthesises the game's sounds (WAV, 22050 Hz mono) with sox, so that no recording is needed:
# a stone is a short burst of band-passed noise over a soft knock, like wood on wood; the ends of
# a game are short arpeggios. The WAV files are committed; run this after changing a recipe.
# Needs sox (Debian: sox).
set -eu
cd "$(dirname "$0")"
rate="-r 22050 -c 1 -b 16"
# A stone: a 25 ms burst of band-passed noise (the click) over a 60 ms knock at a low pitch, both
# dying away at once.
knock() {
    sox -n $rate click.wav synth 0.025 pinknoise sinc "$3" fade p 0 0.025 0.024
    sox -n $rate body.wav synth 0.06 sine "$2" fade p 0 0.06 0.058
    sox -m click.wav body.wav "$1" gain -n -4
    rm -f click.wav body.wav
}
knock stone.wav 420 900-3200
knock opponent.wav 340 700-2600
# The end of a game: notes of 0.13 s, the last one held.
notes() {
    out=$1
    shift
    parts=""
    i=0
    for f in "$@"; do
        sox -n $rate "part$i.wav" synth 0.16 pluck "$f" fade q 0.005 0.16 0.1
        parts="$parts part$i.wav"
        i=$((i + 1))
    done
    sox $parts "$out" gain -n -5
    rm -f part*.wav
}
notes win.wav C5 E5 G5 C6
notes lose.wav G4 E4 C4
notes draw.wav E4 E4
for f in *.wav; do echo "sounds/$f"; done
