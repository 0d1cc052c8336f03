#!/usr/bin/env bash
# The plug-in as the installer sees it: exactly the two exports, undecorated,
# for the build's architecture, and no library beyond the system's (the
# installer carries the plug-in alone).
#   plugin_exports.sh OBJDUMP zel_nsis.dll i686|x86_64
set -uo pipefail
objdump=$1 dll=$2 arch=$3
dump=$("$objdump" -p "$dll") || { echo "FAIL: objdump could not read $dll" >&2; exit 1; }
status=0

format=$(sed -n 's/.*file format //p' <<<"$dump" | head -n1)
want=pei-i386
[ "$arch" = x86_64 ] && want=pei-x86-64
[ "$format" = "$want" ] || { echo "FAIL: $format, not $want" >&2; status=1; }

# The names between the export table's heading and the next blank line.
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && NF == 0 {on = 0} on {print $NF}' <<<"$dump" |
          sort | paste -sd' ')
[ "$exports" = "zel_install zel_uninstall" ] || { echo "FAIL: exports are '$exports'" >&2; status=1; }

imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | sort | paste -sd' ')
for dll_name in $imports; do
    case "$dll_name" in
        kernel32.dll | user32.dll | msvcrt.dll) ;;
        *) echo "FAIL: imports $dll_name, which is not the system's" >&2; status=1 ;;
    esac
done
echo "format $format; exports: $exports; imports: $imports"
exit $status
