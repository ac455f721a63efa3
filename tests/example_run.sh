#!/usr/bin/env bash
# Runs the example program on a new sample installation and checks through
# the command that the change it saved is in the project database.
#
#   bash tests/example_run.sh TALUVEK PROJEKT_LESEN
set -euo pipefail

taluvek=$1
example=$2
home=$(mktemp -d "${TMPDIR:-/tmp}/tarvano.XXXXXX")
trap 'rm -rf "$home"' EXIT
export TARVANO_HOME=$home
unset TARVANO_INI

"$taluvek" einrichten "$home" --beispiel >/dev/null
"$example" 4711 "Neubau Kindergarten Süd"
"$taluvek" projekt zeigen 4711 | grep -qxE 'ProBez *= Neubau Kindergarten Süd' \
  || { echo "the example's change is not in the database" >&2; exit 1; }

# A project that is not there is reported as a failure.
if "$example" 9999 "Nirgends" 2>/dev/null; then
  echo "the example answered success for a missing project" >&2
  exit 1
fi
echo "example: read, changed and saved project 4711"
