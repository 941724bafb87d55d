#!/usr/bin/env bash
# The package stage of scripts/test.sh: builds the Debian package
# (scripts/package-deb.sh, which fails on lintian errors and warnings),
# validates its desktop entry, installs it with apt-get, runs each installed
# program's --help (and --version where the help offers it), checks that
# each has a manual page naming every option of its help, and the window its
# icons, and purges the package again, also when a check fails.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

deb=$("$root/scripts/package-deb.sh" | tail -n 1)
echo "-- built $deb"
dpkg-deb --field "$deb" Package Version Depends

if dpkg-query -W -f='${Status}' tessaro 2>/dev/null | grep -q "install ok installed"; then
  echo "tessaro is already installed on this machine; not replacing it" >&2
  exit 1
fi
purge() { $SUDO apt-get purge -y -qq tessaro >/dev/null; }
trap purge EXIT
$SUDO apt-get install -y -qq --no-install-recommends "$deb" >/dev/null

desktop-file-validate /usr/share/applications/tessaro.desktop
for size in 16 32 48 64 128 256; do
  test -s "/usr/share/icons/hicolor/${size}x${size}/apps/tessaro.png"
done

programs=$(dpkg -L tessaro | grep '^/usr/bin/' | sort)
[ -n "$programs" ]
for p in $programs; do
  name=$(basename "$p")
  # Run as an ordinary user would find it: by name, on the PATH.
  help=$(cd / && env -i PATH=/usr/bin:/bin "$name" --help)
  grep -q "^Usage: $name" <<<"$help" || { echo "$name --help: no usage line" >&2; exit 1; }
  if grep -q -- "--version" <<<"$help"; then
    echo "-- $name --version: $(cd / && env -i PATH=/usr/bin:/bin "$name" --version)"
  fi
  # The manual page names every option the help names.
  page=$(zcat "$(man -w "$name")" | sed 's/\\-/-/g')
  while read -r option; do
    grep -q -F -- "$option" <<<"$page" || { echo "man $name: $option is missing" >&2; exit 1; }
  done < <(grep -o -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u)
  echo "-- $name: --help and manual page fine"
done

purge
trap - EXIT
if dpkg-query -W -f='${Status}' tessaro 2>/dev/null | grep -q "installed"; then
  echo "tessaro is still installed after the purge" >&2
  exit 1
fi
echo "-- package installed, run and removed"
