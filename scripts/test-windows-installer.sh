#!/usr/bin/env bash
# The Windows installer under Wine, in a prefix of its own:
#   scripts/test-windows-installer.sh PACKAGES WORK
# PACKAGES: the folder scripts/package-windows.sh wrote (its setup.exe and the
# folder of files it holds); WORK: this test's folder (emptied first).
# Installs silently (/S), checks the files, the Start menu entry, the
# uninstall key and an installed program, uninstalls silently the way
# Windows' "Installed apps" does (QuietUninstallString) and checks that
# nothing is left.  A second round installs twice, the second time into a
# folder of the user's choice (/D): the first installation must go; while one
# of the programs runs, setup and the uninstaller must refuse and change
# nothing; the uninstaller must leave a file the user added, and so the
# folder, in place.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
packages=$(cd "$1" && pwd)
work=$(realpath -m "$2")
source "$root/scripts/wine-prefix.sh"
# No menu entries on the Linux desktop for the Start menu's shortcut.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

version=$(sed -n 's/^project(Tessaro VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
stage="$packages/tessaro-$version-windows-x64"
setup="$stage-setup.exe"
[ -f "$setup" ] || { echo "no installer at $setup" >&2; exit 1; }

fail() {
  echo "installer: $*" >&2
  exit 1
}

# Every program in the prefix ended, within a deadline: the uninstaller
# returns at once, having started a copy of itself that does the work.
settle() {
  timeout 120 "$wineserver" -w || fail "Wine's programs did not end within 120 s"
}

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaro'
read_key() { # the uninstall key's values, in the 64-bit view, into $work/key.txt
  "$wine" reg query "$key" /reg:64 >"$work/key.txt" 2>&1 </dev/null || : >"$work/key.txt"
  sed -i 's/\r$//' "$work/key.txt"
}
value() { # NAME: a value of the key last read, as text; nothing when it is not there
  sed -n "s/^ *$1 *REG_[A-Z_]* *//p" "$work/key.txt"
}

rm -rf "$work" && mkdir -p "$work"
begun=$(date +%s)
export WINEPREFIX="$work/wine"
trap '"$wineserver" -k 2>/dev/null || true' EXIT
started=$(date +%s)
"$wine" wineboot -i >"$work/wineboot.out" 2>&1 </dev/null ||
  { cat "$work/wineboot.out" >&2; fail "no Wine prefix in $WINEPREFIX"; }
settle
drive_c="$WINEPREFIX/drive_c"
lnk="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tessaro.lnk"
echo "-- a fresh prefix in $(($(date +%s) - started)) s"

echo "-- install silently into Program Files"
started=$(date +%s)
"$wine" "$setup" /S </dev/null || fail "the installer failed (status $?)"
settle
echo "   took $(($(date +%s) - started)) s"
dir="$drive_c/Program Files/Tessaro"
[ -f "$dir/Uninstall.exe" ] || fail "no Uninstall.exe in $dir"
diff -r -x Uninstall.exe "$stage" "$dir" >"$work/files.diff" ||
  { cat "$work/files.diff" >&2; fail "the installed files differ from the package's"; }
[ -f "$lnk" ] || fail "no Start menu entry at $lnk"
grep -qa 'C:\\Program Files\\Tessaro\\tessaro.exe' "$lnk" ||
  fail "the Start menu entry does not start C:\\Program Files\\Tessaro\\tessaro.exe"

location='C:\Program Files\Tessaro'
read_key
size_kib=$(du -sk --apparent-size "$dir" | cut -f1)
for expected in "DisplayName=Tessaro" "DisplayVersion=$version" "Publisher=Tessaro" \
  "InstallLocation=$location" "DisplayIcon=$location\\tessaro.exe,0" \
  "UninstallString=\"$location\\Uninstall.exe\"" \
  "QuietUninstallString=\"$location\\Uninstall.exe\" /S"; do
  name=${expected%%=*}
  got=$(value "$name")
  [ "$got" = "${expected#*=}" ] || fail "$name is '$got', not '${expected#*=}'"
done
estimated=$(($(value EstimatedSize)))
[ "$estimated" -ge $((size_kib * 9 / 10)) ] && [ "$estimated" -le $((size_kib * 11 / 10)) ] ||
  fail "EstimatedSize is $estimated KiB; the folder holds $size_kib KiB"
"$wine" reg query 'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Tessaro' \
  >/dev/null 2>&1 </dev/null && fail "the uninstall key is in the 32-bit view"

"$wine" "$location\\tessaro-linktest.exe" --version </dev/null >"$work/version.out" 2>&1 ||
  { cat "$work/version.out" >&2; fail "the installed tessaro-linktest.exe --version failed"; }
grep -q "$version" "$work/version.out" ||
  { cat "$work/version.out" >&2; fail "tessaro-linktest.exe --version does not give $version"; }

echo "-- uninstall silently as the installed apps list does"
quiet=$(value QuietUninstallString)
started=$(date +%s)
# The command line as Windows runs it: the quoted program, then its options.
program=${quiet#\"}
program=${program%%\"*}
"$wine" "$program" /S </dev/null || fail "the uninstaller failed (status $?)"
settle
echo "   took $(($(date +%s) - started)) s"
[ ! -e "$dir" ] || { find "$dir" | head -n 20 >&2; fail "the uninstaller left files behind"; }
[ ! -e "$lnk" ] || fail "the uninstaller left the Start menu entry"
read_key
[ ! -s "$work/key.txt" ] || { cat "$work/key.txt" >&2; fail "the uninstaller left the uninstall key"; }

echo "-- installed again into a folder of the user's choice, with a file of the user's in it"
"$wine" "$setup" /S </dev/null || fail "the installer failed (status $?)"
"$wine" "$setup" /S '/D=C:\Tools\Tessaro' </dev/null || fail "the installer failed with /D"
settle
[ ! -e "$dir" ] || { find "$dir" | head -n 20 >&2; fail "the installation in Program Files was left behind"; }
dir="$drive_c/Tools/Tessaro"
read_key
[ "$(value InstallLocation)" = 'C:\Tools\Tessaro' ] || fail "InstallLocation does not follow /D"

echo "-- neither setup nor the uninstaller touches an installation whose program runs"
mkfifo "$work/replay.in"
"$wine" 'C:\Tools\Tessaro\tessaro-replay.exe' <"$work/replay.in" >"$work/replay.out" 2>&1 &
replay_pid=$!
exec 7>"$work/replay.in"
# Running (and its file held) once Wine has mapped the file.
for _ in $(seq 100); do
  grep -qs 'tessaro-replay\.exe' "/proc/$replay_pid/maps" && break
  sleep 0.1
done
grep -qs 'tessaro-replay\.exe' "/proc/$replay_pid/maps" || fail "tessaro-replay.exe did not start"
status=0
"$wine" "$setup" /S </dev/null || status=$?
[ "$status" -eq 2 ] || fail "setup ended with status $status while a program ran"
status=0
"$wine" "$dir/Uninstall.exe" /S '_?=C:\Tools\Tessaro' </dev/null || status=$?
[ "$status" -eq 2 ] || fail "the uninstaller ended with status $status while a program ran"
diff -r -x Uninstall.exe "$stage" "$dir" >"$work/files.diff" ||
  { cat "$work/files.diff" >&2; fail "setup or the uninstaller changed a running installation"; }
exec 7>&-
wait "$replay_pid"
settle
read_key
[ "$(value InstallLocation)" = 'C:\Tools\Tessaro' ] && [ -e "$lnk" ] ||
  fail "setup or the uninstaller changed the entries of a running installation"

echo "kept" >"$dir/docs/result.json"
"$wine" "$dir/Uninstall.exe" /S </dev/null || fail "the uninstaller failed (status $?)"
settle
left=$(cd "$drive_c/Tools" && find . | LC_ALL=C sort | tr '\n' ' ')
[ "$left" = ". ./Tessaro ./Tessaro/docs ./Tessaro/docs/result.json " ] ||
  fail "after the uninstall, the user's folder holds: $left"
read_key
[ ! -e "$lnk" ] && [ ! -s "$work/key.txt" ] || fail "the second uninstall left its entries"
echo "-- the installer installed and uninstalled silently ($(($(date +%s) - begun)) s)"
