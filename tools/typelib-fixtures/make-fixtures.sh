#!/bin/sh
# Rebuilds the type library and module fixtures in tests/data/typelib/ with widl and the
# mingw-w64 cross tools (Debian packages mingw-w64 and mingw-w64-tools). The outputs are
# committed; run this only after changing a source here.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../tests/data/typelib}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

cp "$here"/*.idl "$here"/*.rc "$here"/module.c "$work"/
cd "$work"

widl=x86_64-w64-mingw32-widl
$widl -t -o stdole2.tlb stdole2.idl
$widl -L . -t -o fixture.tlb fixture.idl
$widl -t -o helpdll.tlb helpdll.idl

# Small, reproducible images: no C runtime, no time stamp, stripped.
cflags="-Os -nostdlib -s -fno-asynchronous-unwind-tables -Wl,--no-insert-timestamp"

dll32() { # name rc
    if [ -n "$2" ]; then
        i686-w64-mingw32-windres -F pe-i386 -i "$2" -o "$1.res.o"
        res="$1.res.o"
    else
        res=""
    fi
    i686-w64-mingw32-gcc $cflags -shared -Wl,-e,_DllEntry@12 -o "$1" module.c $res
}

dll64() { # name rc
    if [ -n "$2" ]; then
        x86_64-w64-mingw32-windres -F pe-x86-64 -i "$2" -o "$1.res.o"
        res="$1.res.o"
    else
        res=""
    fi
    x86_64-w64-mingw32-gcc $cflags -shared -Wl,-e,DllEntry -o "$1" module.c $res
}

dll32 fixture32.dll fixture.rc
dll64 fixture64.dll fixture.rc
x86_64-w64-mingw32-windres -F pe-x86-64 -i fixture.rc -o exe.res.o
x86_64-w64-mingw32-gcc $cflags -DQUILLON_EXE -Wl,-e,Start -o fixture64.exe module.c exe.res.o
dll64 othertypelib.dll othertypelib.rc
dll32 versiononly.dll versiononly.rc
dll64 plain.dll ""

cp fixture.tlb helpdll.tlb fixture32.dll fixture64.dll fixture64.exe othertypelib.dll versiononly.dll plain.dll "$out"/
echo "fixtures written to $out"
