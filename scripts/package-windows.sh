#!/usr/bin/env bash
# Builds the Windows zip: the window, the command-line programs and a short README.
#   scripts/package-windows.sh [BUILD]   BUILD: a cross-build folder
#                                         (default build-win/cross, built here)
# Output: build-win/package/tessaro-<version>-windows-x64.zip
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${TESSARO_JOBS:-$(nproc)}
build=${1:-"$root/build-win/cross"}

if [ ! -f "$build/CMakeCache.txt" ]; then
  "$root/scripts/install-deps.sh" windows
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/MinGW64Toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DTESSARO_BUILD_UI=OFF -DTESSARO_BUILD_BENCH=OFF
fi
cmake --build "$build" -j"$jobs" --target tessaro tessaro-linktest tessaro-replay

programs=("$build/win32/tessaro.exe" "$build/tools/tessaro-linktest.exe"
  "$build/tools/tessaro-replay.exe")
"$root/scripts/check-windows-imports.sh" "${programs[@]}" >/dev/null
for exe in "${programs[@]}"; do x86_64-w64-mingw32-strip -o "$exe.stripped" "$exe"; done

version=$(sed -n 's/^project(Tessaro VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="tessaro-$version-windows-x64"
stage="$root/build-win/package/$name"
rm -rf "$stage" "$stage.zip" && mkdir -p "$stage"
for exe in "${programs[@]}"; do mv "$exe.stripped" "$stage/$(basename "$exe")"; done
# Notepad before Windows 10 shows LF-only text on one line.
sed 's/$/\r/' resources/windows/README.txt >"$stage/README.txt"
(cd "$stage/.." && zip -q -r "$name.zip" "$name")
echo "$stage.zip"
