#!/usr/bin/env bash
# Runs the sample project 4711 through the library from the shell, on a new
# sample installation in a temporary folder: read, change, save, lock, a
# refused second lock, unlock; then the same object read, changed and saved
# by a script of late-bound calls.
#
#   bash scripts/beispiel.sh [PATH-OF-TALUVEK]     (default: build/taluvek)
set -euo pipefail

taluvek=${1:-build/taluvek}
home=$(mktemp -d "${TMPDIR:-/tmp}/tarvano.XXXXXX")
export TARVANO_HOME=$home
unset TARVANO_INI

run() {
  printf '\n$ taluvek'
  printf ' %q' "$@"
  printf '\n'
  "$taluvek" "$@"
}

run einrichten "$home" --beispiel
run projekt zeigen 4711
run projekt setzen 4711 "ProBez=Neubau Kindergarten Nord" BudgetNetto=--zahl=1300000
run projekt zeigen 4711 --json
run projekt sperren 4711
if run projekt sperren 4711; then
  echo "Fehler: die zweite Sperre ist nicht abgewiesen worden" >&2
  exit 1
fi
run projekt entsperren 4711

printf '\n$ taluvek aufruf --skript - <<SKRIPT\n'
"$taluvek" aufruf --skript - <<'SKRIPT'
# O'Neil lesen, ändern, speichern: alle Aufrufe am selben Objekt
bProjektRead 0 "O'Neil"
vProjektDatenRead ProOrt
bProjektDatenWrite Bremen ProOrt
bProjWrite 0 "O'Neil"
sProjektBez
SKRIPT

printf '\nDie Beispielinstallation bleibt in %s\n' "$home"
