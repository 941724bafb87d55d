#!/usr/bin/env bash
# Fails when a Windows program imports a DLL that Windows does not bring (the
# C++ runtime of mingw-w64 must be linked in, not shipped beside it).
set -euo pipefail
objdump=x86_64-w64-mingw32-objdump
system='^(kernel32|user32|gdi32|advapi32|comctl32|comdlg32|shell32|ole32|oleaut32|setupapi|ws2_32|msvcrt|ucrtbase|api-ms-win-.*)\.dll$'
fail=0
for exe in "$@"; do
  dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
  for dll in $dlls; do
    if ! echo "$dll" | tr '[:upper:]' '[:lower:]' | grep -Eq "$system"; then
      echo "$(basename "$exe") needs $dll, which Windows does not bring" >&2
      fail=1
    fi
  done
  echo "$(basename "$exe"): $(echo $dlls)"
done
exit $fail
