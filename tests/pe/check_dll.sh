#!/usr/bin/env bash
# What the plug-in promises about its own file, read from its PE headers: it imports
# KERNEL32.dll alone, exports nothing, loads at any base, and has no section that is
# both writable and executable and no TLS callbacks.
set -euo pipefail
dll=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
[[ -f "$dll" ]] || { echo "FAIL: $dll is missing"; exit 1; }

headers=$("$objdump" -p "$dll")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

grep -q '^architecture: i386' <<<"$("$objdump" -f "$dll")" || fail "not a 32-bit x86 image"
grep -qE '^Characteristics .*' <<<"$headers" && grep -qE '^\s+DLL$' <<<"$headers" || fail "not a DLL"

imports=$(awk '/DLL Name:/ {print toupper($3)}' <<<"$headers" | sort -u | tr '\n' ' ')
[[ "$imports" == "KERNEL32.DLL " ]] || fail "imports: ${imports:-none}"

# Data directory entries: 0 export, 5 base relocations, 9 TLS.
directory() { awk -v n="$1" '$1 == "Entry" && $2 == n {print $3 " " $4}' <<<"$headers"; }
[[ "$(directory 0)" == "00000000 00000000" ]] || fail "has an export directory"
[[ "$(directory 9)" == "00000000 00000000" ]] || fail "has a TLS directory"
[[ "$(directory 5)" != "00000000 00000000" ]] || fail "has no base relocations"

grep -qE '^\s+DYNAMIC_BASE$' <<<"$headers" || fail "DYNAMIC_BASE not set"
grep -qE '^\s+NX_COMPAT$' <<<"$headers" || fail "NX_COMPAT not set"

# A section both writable and executable would be a gift to an exploit in the host.
while read -r name flags; do
  [[ "$flags" == *CODE* && "$flags" != *READONLY* ]] && fail "section $name is writable and executable"
done < <("$objdump" -h "$dll" | awk '/^ +[0-9]+ / {name=$2; getline; print name, $0}')

size=$(stat -c %s "$dll")
echo "size: $size bytes; imports: $imports"
[[ $failures -eq 0 ]] && echo "PASS" || exit 1
