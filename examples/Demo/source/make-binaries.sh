#!/bin/sh
# Rebuilds the demo's module (a 64-bit COM DLL whose type library holds the IDs used in Demo.cpd)
# and its driver (a plain DLL) with widl and the mingw-w64 cross tools (Debian packages mingw-w64
# and mingw-w64-tools). The outputs are committed; run this only after changing a source here
# (widl stamps the type library with its build time, so each run gives a slightly different module).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
cp "$here"/DemoModule.idl "$here"/DemoModule.rc "$here"/entry.c "$work"/
cd "$work"

# Small, reproducible images: no C runtime, no time stamp, stripped.
cflags="-Os -nostdlib -s -fno-asynchronous-unwind-tables -Wl,--no-insert-timestamp -shared -Wl,-e,DllEntry"
x86_64-w64-mingw32-widl -t -o DemoModule.tlb DemoModule.idl
x86_64-w64-mingw32-windres -F pe-x86-64 -i DemoModule.rc -o DemoModule.res.o
x86_64-w64-mingw32-gcc $cflags -o DemoModule.dll entry.c DemoModule.res.o
x86_64-w64-mingw32-gcc $cflags -o DemoDriver.dll entry.c

cp DemoModule.dll "$here"/../bin/
cp DemoDriver.dll "$here"/../drivers/
echo "binaries written to $here/../bin and $here/../drivers"
