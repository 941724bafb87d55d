#!/usr/bin/env bash
# Builds the Windows packages: the window, the command-line programs, a short
# README, the license and the documents, as a zip and as an installer.
#   scripts/package-windows.sh [BUILD]   BUILD: a cross-build folder
#                                         (default build-win/cross, built here)
# Output: build-win/package/tessaro-<version>-windows-x64.zip
#         build-win/package/tessaro-<version>-windows-x64-setup.exe (last line)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${TESSARO_JOBS:-$(nproc)}
build=${1:-"$root/build-win/cross"}

"$root/scripts/install-deps.sh" windows
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/MinGW64Toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DTESSARO_BUILD_UI=OFF -DTESSARO_BUILD_BENCH=OFF
fi
cmake --build "$build" -j"$jobs" --target tessaro tessaro-linktest tessaro-replay tessaro-download

programs=("$build/win32/tessaro.exe" "$build/tools/tessaro-linktest.exe"
  "$build/tools/tessaro-replay.exe" "$build/tools/tessaro-download.exe")
"$root/scripts/check-windows-imports.sh" "${programs[@]}" >/dev/null
for exe in "${programs[@]}"; do x86_64-w64-mingw32-strip -o "$exe.stripped" "$exe"; done

version=$(sed -n 's/^project(Tessaro VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="tessaro-$version-windows-x64"
out="$root/build-win/package"
stage="$out/$name"
rm -rf "$stage" "$stage.zip" "$stage-setup.exe" && mkdir -p "$stage/docs/man"
for exe in "${programs[@]}"; do mv "$exe.stripped" "$stage/$(basename "$exe")"; done
# Notepad before Windows 10 shows LF-only text on one line.
crlf() { sed 's/$/\r/'; }
crlf <resources/windows/README.txt >"$stage/README.txt"
crlf <packaging/copyright >"$stage/License.txt"
# The documents of the Linux package: the Markdown ones as HTML pages (links
# between them kept), the manual pages of these programs as text.
python3 packaging/windows/markdown-page.py README.md "$stage/README.html"
for md in docs/*.md; do
  python3 packaging/windows/markdown-page.py "$md" "$stage/docs/$(basename "$md" .md).html"
done
cp docs/*.yml "$stage/docs/" && cp -r docs/screenshots "$stage/docs/"
for exe in "${programs[@]}"; do
  program=$(basename "$exe" .exe)
  groff -man -Tascii -rHY=0 -P-cbou "docs/man/$program.1" | crlf >"$stage/docs/man/$program.txt"
done
(cd "$out" && zip -q -r "$name.zip" "$name")
echo "$stage.zip"

# The installer's lists: each folder of the stage, its files put in place, and
# the same taken away again, deepest folder first.
lists="$out/$name-files"
odd=$(cd "$stage" && find . -name '*[^A-Za-z0-9._/-]*')
[ -z "$odd" ] || { echo "names the installer's lists cannot hold: $odd" >&2; exit 1; }
: >"$lists.install.nsh"
: >"$lists.uninstall.nsh"
while IFS= read -r dir; do
  win=${dir#.}
  win=${win//\//\\}
  echo "SetOutPath \"\$INSTDIR$win\"" >>"$lists.install.nsh"
  while IFS= read -r file; do
    echo "File \"$stage/$dir/$file\"" >>"$lists.install.nsh"
    echo "Delete \"\$INSTDIR$win\\$file\"" >>"$lists.uninstall.nsh"
  done < <(cd "$stage/$dir" && find . -maxdepth 1 -type f -printf '%f\n' | LC_ALL=C sort)
done < <(cd "$stage" && find . -type d | LC_ALL=C sort)
(cd "$stage" && find . -mindepth 1 -type d | LC_ALL=C sort -r) | while IFS= read -r dir; do
  win=${dir#.}
  echo "RMDir \"\$INSTDIR${win//\//\\}\""
done >>"$lists.uninstall.nsh"

version4=$version
while [ "$(tr -cd . <<<"$version4" | wc -c)" -lt 3 ]; do version4="$version4.0"; done
makensis -V2 -WX -INPUTCHARSET UTF8 -DVERSION="$version" -DVERSION4="$version4" -DSTAGE="$stage" \
  -DLISTS="$lists" -DICON="$build/win32/pictures/tessaro.ico" -DOUTFILE="$stage-setup.exe" \
  packaging/windows/tessaro.nsi >&2
echo "$stage-setup.exe"
