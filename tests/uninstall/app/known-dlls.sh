#!/usr/bin/env bash
# known-dlls.sh OBJDUMP PROGRAM... : fails when a program imports a library that the loader
# could take from the program's own folder. Only the system's known DLLs are always taken from
# the system folder, and the common controls come side by side, as the manifest asks; anything
# else must be imported late (after the program has limited its library search) or loaded at
# run time from the system folder.
set -euo pipefail
objdump=$1
shift
known=" advapi32 clbcatq combase comctl32 comdlg32 coml2 gdi32 imagehlp imm32 kernel32 msctf
  msvcrt normaliz nsi ntdll ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi
  user32 wldap32 ws2_32 "
failed=0
for program in "$@"; do
  while read -r dll; do
    name=$(echo "${dll%.*}" | tr 'A-Z' 'a-z')
    if ! grep -qw -- "$name" <<<"$known"; then
      echo "$program imports $dll, which is no known DLL: it would be looked for beside the program first"
      failed=1
    fi
  done < <("$objdump" -p "$program" | sed -n 's/^\s*DLL Name: //p')
done
[ "$failed" = 0 ] && echo "every import is a known DLL"
exit "$failed"
