#!/usr/bin/env bash
# What the host sees of pyrelle.dll without loading it: the one export, the functions it imports
# from the host's shared.dll and from DirectDraw by name, the US English dialog 101 and the
# version record.
# Usage: check_dll_exports.sh <objdump> <pyrelle.dll>
set -uo pipefail
objdump="$1"
dll="$2"

headers="$("$objdump" -p "$dll")" || { echo "cannot read $dll" >&2; exit 1; }
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# Names of the export table, one a line.
exports="$(awk '/^\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && NF == 0 { exit } on { print $NF }' <<<"$headers")"
[[ "$exports" == "orvanel_get_interface" ]] || fail "exports are '${exports//$'\n'/ }', not just orvanel_get_interface"

# Functions imported by name from one DLL.
imports_from() {
  awk -v dll="$1" 'tolower($0) ~ "dll name: " tolower(dll) "$" { on = 1; next }
                   on && /DLL Name:/ { exit }
                   on && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print $3 }' <<<"$headers"
}
shared_imports="$(imports_from shared.dll)"
for name in uCreateWindowEx uChooseColor; do
  grep -qx "$name" <<<"$shared_imports" || fail "$name is not imported from shared.dll"
done
grep -qx DirectDrawCreateEx <<<"$(imports_from ddraw.dll)" || fail "DirectDrawCreateEx is not imported from ddraw.dll"

# Resources as type/name/language triples of hexadecimal ids (5/101/1033 is 000005/000065/000409);
# an entry's depth in the tree shows in its indentation.
resources="$(awk '/^The \.rsrc Resource Directory section/ { on = 1; next }
                  on && / Entry: ID: 0x/ {
                    match($0, /^[0-9a-f]+ +/)
                    depth = RLENGTH
                    id = $0
                    sub(/.*ID: 0x/, "", id)
                    sub(/,.*/, "", id)
                    if (depth <= 7) type = id; else if (depth <= 9) name = id; else print type "/" name "/" id
                  }' <<<"$headers")"
grep -qx "000005/000065/000409" <<<"$resources" || fail "no US English dialog 101 (resources: ${resources//$'\n'/ })"
grep -q "^000010/000001/" <<<"$resources" || fail "no version record (resources: ${resources//$'\n'/ })"

((failed == 0)) && echo "pyrelle.dll: one export, shared.dll and ddraw.dll imports, dialog 101 and version present"
exit "$failed"
