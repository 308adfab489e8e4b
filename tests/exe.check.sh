#!/usr/bin/env bash
# Both builds of the exe import system DLLs only: the C++ runtime, libgcc and
# winpthread are linked in.
set -euo pipefail
cd "$(dirname "$0")/.."
allowed='^(KERNEL32|USER32|GDI32|SHELL32|OLE32|OLEAUT32|COMCTL32|WINMM|MSVCRT|ADVAPI32|UCRTBASE|API-MS-WIN-CRT-[A-Z0-9-]+)\.DLL$'
status=0
for build in mingw-x64:x86_64 mingw-x86:i686; do
  exe="build/${build%%:*}/qqshare.exe"
  objdump="${build##*:}-w64-mingw32-objdump"
  dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '[:lower:]' '[:upper:]')
  for dll in $dlls; do
    if ! [[ $dll =~ $allowed ]]; then
      echo "$exe imports $dll, which is not a system DLL" >&2
      status=1
    fi
  done
  echo "$exe: $(stat -c %s "$exe") bytes; imports: $(echo $dlls)"
done
exit $status
