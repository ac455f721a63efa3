#!/usr/bin/env bash
# Checks the dynamic symbols of the shared library against its public
# headers, both ways:
#  - every symbol it defines belongs to a class or function that a header of
#    INCLUDE_DIR marks VX_TALUVEK_EXPORT (a member, its virtual table or type
#    information), so that nothing of the engine, the subsystems or the
#    standard library's templates leaks out;
#  - every class and function so marked is there, so that a caller can link
#    what the headers promise.
#
#   bash tests/exported_symbols.sh LIBRARY.so INCLUDE_DIR
set -euo pipefail

library=$1
include_dir=$2

# What the headers mark: "class VX_TALUVEK_EXPORT Name", and functions
# "VX_TALUVEK_EXPORT type Name(".
classes=$(sed -nE 's/^(class|struct) VX_TALUVEK_EXPORT ([A-Za-z_0-9]+).*/\2/p' \
  "$include_dir"/*.h | sort -u)
functions=$(sed -nE 's/^(\[\[noreturn\]\] )?VX_TALUVEK_EXPORT [^(]*[ &*]([A-Za-z_0-9]+)\(.*/\2/p' \
  "$include_dir"/*.h | sort -u)
if [ -z "$classes" ] || [ -z "$functions" ]; then
  echo "no VX_TALUVEK_EXPORT found in $include_dir" >&2
  exit 1
fi
class_alt=$(paste -sd'|' <<<"$classes")
function_alt=$(paste -sd'|' <<<"$functions")

# A member of a marked class: its name (no further scope) and its
# parameters; or the class's virtual table or type information.
member="^vx::($class_alt)::[^:(]*(\\[abi:cxx11\\])?\\("
class_data="^(typeinfo for |typeinfo name for |vtable for )vx::($class_alt)\$"
function="^vx::($function_alt)(\\[abi:cxx11\\])?\\("

# "ADDRESS TYPE NAME@@VERSION", demangled; the version node itself is an
# absolute symbol of type A.
symbols=$(nm -D --defined-only -C "$library" | awk '$2 != "A"' \
  | sed -E 's/^[0-9a-f]+ [A-Za-z] //; s/@@?[A-Z_0-9]+$//')
if [ -z "$symbols" ]; then
  echo "$library exports nothing" >&2
  exit 1
fi

status=0
leaked=$(grep -vE "$member|$class_data|$function" <<<"$symbols" || true)
if [ -n "$leaked" ]; then
  echo "exported, but not part of the public headers:" >&2
  sed 's/^/  /' <<<"$leaked" >&2
  status=1
fi

for name in $classes; do
  grep -qE "^vx::$name::|^typeinfo for vx::$name\$" <<<"$symbols" \
    || { echo "class vx::$name is marked for export but missing" >&2; status=1; }
done
for name in $functions; do
  grep -qE "^vx::$name(\\[abi:cxx11\\])?\\(" <<<"$symbols" \
    || { echo "function vx::$name is marked for export but missing" >&2; status=1; }
done

[ "$status" -eq 0 ] && echo "$(wc -l <<<"$symbols") symbols, all of the public headers"
exit "$status"
