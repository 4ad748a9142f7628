#!/usr/bin/env bash
# Fails when a text of the program has no finished English: lupdate gathers the texts from the
# sources into a copy of the translation file, and every text still unfinished there (new, or
# left without its English) or vanished (its English kept for a text no longer in the sources)
# is named.
# Usage: TranslationsCheck.sh CMAKE GENERATE_PROJECT PROJECT_CMAKE LUPDATE TS_FILE OPTIONS...
set -euo pipefail
cmake=$1 generate=$2 project=$3 lupdate=$4 ts=$5
shift 5
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$ts" "$scratch/"
copy=$scratch/$(basename "$ts")
"$cmake" -DIN_FILE="$project" -DOUT_FILE="$scratch/project.json" -P "$generate"
"$lupdate" -project "$scratch/project.json" -ts "$copy" "$@" 2>&1 | grep -v 'will override'
bad=$(grep -B3 -E 'type="(unfinished|vanished|obsolete)"' "$copy" | grep -o '<source>.*</source>' || true)
if [[ -n $bad ]]; then
  echo "Texts without finished English in $(basename "$ts") (run the update_translations target and translate them):"
  echo "$bad"
  exit 1
fi
echo "every text has its English: $(grep -c '<source>' "$copy") texts"
