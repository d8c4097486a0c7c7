#!/bin/bash
# Regenerates the golden corpus (tests/data/golden) from its abc sources:
#   abc2midi   (Debian package abcmidi)     abc      -> .mid, played as a player would
#   musescore3 (Debian package musescore3)  .mid     -> .musicxml and .mxl, as a notation program imports it
#   abc_to_jianpu.py                        abc      -> .txt, the written melody as numbered notation
# Only needed when a tune is added or changed: the generated files are checked in.
#   sudo apt-get install abcmidi musescore3
#   bash tools/golden/make_corpus.sh            # every tune
#   bash tools/golden/make_corpus.sh dev/jasmine  # one tune
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
corpus=$(cd "$here/../../tests/data/golden" && pwd)
command -v abc2midi >/dev/null || { echo "abc2midi missing: apt-get install abcmidi" >&2; exit 1; }
command -v musescore3 >/dev/null || { echo "musescore3 missing: apt-get install musescore3" >&2; exit 1; }

# MuseScore reads and writes its settings under HOME: keep it away from the user's.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data XDG_CACHE_HOME=$scratch/cache
export QT_QPA_PLATFORM=offscreen

if [ $# -gt 0 ]; then
    tunes=("$@")
else
    tunes=()
    for f in "$corpus"/abc/*/*.abc; do
        rel=${f#"$corpus"/abc/}
        tunes+=("${rel%.abc}")
    done
fi

for tune in "${tunes[@]}"; do
    src=$corpus/abc/$tune.abc
    out=$corpus/$tune
    mkdir -p "$(dirname "$out")"
    echo "$tune"
    python3 "$here/abc_to_jianpu.py" "$src" > "$out.txt"
    abc2midi "$src" -o "$out.mid" > "$scratch/abc2midi.log" 2>&1 || { cat "$scratch/abc2midi.log" >&2; exit 1; }
    if grep -qi "error" "$scratch/abc2midi.log"; then cat "$scratch/abc2midi.log" >&2; exit 1; fi
    musescore3 -o "$out.musicxml" "$out.mid" > "$scratch/mscore.log" 2>&1 || { cat "$scratch/mscore.log" >&2; exit 1; }
    musescore3 -o "$out.mxl" "$out.mid" > "$scratch/mscore.log" 2>&1 || { cat "$scratch/mscore.log" >&2; exit 1; }
done
