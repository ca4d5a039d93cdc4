#!/usr/bin/env bash
# What a Microsoft-ABI DLL of this build shows without being loaded: a SafeSEH table in its load
# configuration (Windows calls no exception handler of a SafeSEH image that the table does not
# list), imports from no DLL outside the expected set (no GCC runtime DLL above all), the standard
# exceptions under Microsoft's names (a host catches std::exception by the name of its type
# descriptor, ".?AVexception@std@@", never libc++'s "std::__1"), and no x87
# arithmetic or conversion, so its floating point is the SSE2 arithmetic of the other builds. x87
# loads and stores may remain: this ABI returns a float or double in the x87 register, and moving
# a value there and back leaves it unchanged.
# Usage: check_microsoft_abi_dll.sh <llvm-readobj> <llvm-objdump> <dll> <expected import>...
set -uo pipefail
usage="usage: check_microsoft_abi_dll.sh <llvm-readobj> <llvm-objdump> <dll> <expected import DLL>..."
if [[ "${1:-}" == -h || "${1:-}" == --help ]]; then
  echo "$usage"
  exit 0
fi
(($# >= 3)) || { echo "$usage" >&2; exit 2; }
readobj="$1"
objdump="$2"
dll="$3"
shift 3
expected=("$@")
name="$(basename "$dll")"
failed=0
fail() { echo "FAIL: $name: $*" >&2; failed=1; }

load_config="$("$readobj" --coff-load-config "$dll")" || { echo "cannot read $dll" >&2; exit 1; }
handlers="$(awk '/^SEHTable \[/ { on = 1; next } on && /^\]/ { exit } on && NF { n++ } END { print n + 0 }' <<<"$load_config")"
((handlers > 0)) || fail "no SafeSEH table in the load configuration"

imports="$("$readobj" --coff-imports "$dll" | sed -n 's/^ *Name: //p' | tr '[:upper:]' '[:lower:]' | sort -u)"
for import in $imports; do
  case " ${expected[*],,} " in
    *" $import "*) ;;
    *) fail "imports from $import, which is not one of: ${expected[*]}" ;;
  esac
done

descriptors="$(strings -a "$dll" | grep '^\.?AV')"
if [[ -n "$descriptors" ]]; then
  grep -qx '\.?AVexception@std@@' <<<"$descriptors" || fail "no type descriptor of Microsoft's std::exception"
  libcxx_named="$(grep -E '^\.\?AV(exception|bad_[a-z_]+|[a-z_]+_error)@__1@std@@$' <<<"$descriptors")"
  [[ -z "$libcxx_named" ]] || fail "standard exceptions under libc++'s names: ${libcxx_named//$'\n'/ }"
fi

x87="$("$objdump" -d --no-show-raw-insn "$dll" |
  grep -cE $'\tf(add|sub|mul|div|ild|ist|com|ucom|chs|abs|sqrt|sin|cos|prem|rndint|scale|ldcw)')"
((x87 == 0)) || fail "$x87 x87 arithmetic or conversion instructions"

((failed == 0)) && echo "$name: SafeSEH table of $handlers handlers, imports only from ${expected[*]}, Microsoft's std::exception, no x87 arithmetic"
exit "$failed"
