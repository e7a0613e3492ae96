#!/usr/bin/env bash
# What the plug-in promises about its own file, read from its PE headers: it imports
# KERNEL32.dll alone, exports nothing, loads at any base, has no section that is both
# writable and executable, no TLS callbacks, and no structured exception handlers.
#   check_dll.sh DLL
#   check_dll.sh --program EXE   the settings check: a console program that may also
#                                import the C run-time, the shell library (for its
#                                wide command line) and the version library (for
#                                files' version information), which every Windows has
set -euo pipefail
program=0
if [[ ${1:-} == --program ]]; then
  program=1
  shift
fi
dll=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
[[ -f "$dll" ]] || { echo "FAIL: $dll is missing"; exit 1; }

headers=$("$objdump" -p "$dll")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

grep -q '^architecture: i386' <<<"$("$objdump" -f "$dll")" || fail "not a 32-bit x86 image"
if [[ $program -eq 0 ]]; then
  grep -qE '^\s+DLL$' <<<"$headers" || fail "not a DLL"
  allowed="KERNEL32.DLL "
else
  grep -qE '^Subsystem\s+00000003' <<<"$headers" || fail "not a console program"
  allowed="KERNEL32.DLL MSVCRT.DLL SHELL32.DLL VERSION.DLL "
fi

imports=$(awk '/DLL Name:/ {print toupper($3)}' <<<"$headers" | sort -u | tr '\n' ' ')
case "$allowed" in
  *"$imports"*) [[ -n "$imports" ]] || fail "imports nothing" ;;
  *) fail "imports: ${imports:-none}" ;;
esac

# Data directory entries: 0 export, 5 base relocations, 9 TLS.
directory() { awk -v n="$1" '$1 == "Entry" && $2 == n {print $3 " " $4}' <<<"$headers"; }
[[ "$(directory 0)" == "00000000 00000000" ]] || fail "has an export directory"
# The C run-time's start-up brings a TLS directory of its own into the program.
[[ $program -eq 1 || "$(directory 9)" == "00000000 00000000" ]] || fail "has a TLS directory"
[[ "$(directory 5)" != "00000000 00000000" ]] || fail "has no base relocations"

grep -qE '^\s+DYNAMIC_BASE$' <<<"$headers" || fail "DYNAMIC_BASE not set"
grep -qE '^\s+NX_COMPAT$' <<<"$headers" || fail "NX_COMPAT not set"
# NO_SEH claims there are no structured exception handlers; the claim holds only if
# no code registers one, and a registration goes through the chain at fs:0.
grep -qE '^\s+NO_SEH$' <<<"$headers" || fail "NO_SEH not set"
seh=$("$objdump" -d "$dll" | grep -cE '%fs:(0x0)?\(|%fs:0x0[^0-9a-fx]|%fs:0x0$' || true)
[[ $seh -eq 0 ]] || fail "code touches the handler chain at fs:0 ($seh places)"

# A section both writable and executable would be a gift to an exploit in the host.
while read -r name flags; do
  [[ "$flags" == *CODE* && "$flags" != *READONLY* ]] && fail "section $name is writable and executable"
done < <("$objdump" -h "$dll" | awk '/^ +[0-9]+ / {name=$2; getline; print name, $0}')

size=$(stat -c %s "$dll")
echo "size: $size bytes; imports: $imports"
[[ $failures -eq 0 ]] && echo "PASS" || exit 1
