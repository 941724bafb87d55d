#!/usr/bin/env bash
# Style and static checks, fast enough to run before every build:
#   1. clang-format-14 over every tracked C++ file: any drift from the root
#      .clang-format fails;
#   2. the floors: an #include that points up the floors of
#      scripts/layers.txt fails (scripts/check-layers.py);
#   3. clang-tidy-14 (checks in the root .clang-tidy) over the C++ files
#      changed against a base; any finding fails.
#
# Which files clang-tidy reads:
#   TESSARO_TIDY=all       every source file of the compile database (slow:
#                          4 to 10 s of processor per file, some 140 files);
#   TESSARO_TIDY=off       none (format check only);
#   TESSARO_TIDY=changed   (the default) the changed files, as below;
#   TESSARO_TIDY_BASE=REV  the files changed since the merge-base of REV and
#                          HEAD, committed or not, e.g. TESSARO_TIDY_BASE=main
#                          on a branch.
# By default the base is the merge-base with "main" when HEAD is not on main,
# and else HEAD~1: on a clean clone of main (as in CI) that is the last commit,
# which for a merge commit is the whole merged branch (after a fast-forward
# of several commits, give TESSARO_TIDY_BASE).  Uncommitted changes always
# count.  A changed header is read through the source file of the same name,
# or else through one source file that includes it.
#
# The compile database comes from configuring (not building) build-lint with
# the window and the benchmarks on, so ui/ and bench/ are checked too; no
# file that Qt's moc or rcc generates is needed by the checked sources.  The
# Windows sources (win32/, tests/win32/ and the Win32 side of each platform
# seam) come from a second database, a mingw-w64 configure in build-lint-win,
# read with clang's MinGW target and the cross compiler's C++ headers.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${TESSARO_JOBS:-$(nproc)}
tidy_mode=${TESSARO_TIDY:-changed}
build=build-lint

# --- clang-format ---------------------------------------------------------
echo "-- clang-format-14: every tracked C++ file"
mapfile -t cxx < <(git ls-files '*.cpp' '*.h')
if ! printf '%s\0' "${cxx[@]}" |
    xargs -0 -n 32 -P "$jobs" clang-format-14 --dry-run --Werror --style=file; then
  echo "lint: clang-format drift; run: git ls-files '*.cpp' '*.h' | xargs clang-format-14 -i" >&2
  exit 1
fi

# --- the floors -------------------------------------------------------------
echo "-- floors: includes point down (scripts/layers.txt)"
python3 "$root/scripts/check-layers.py"

case $tidy_mode in
  all | changed | off) ;;
  *) echo "lint: TESSARO_TIDY is all, changed or off, not '$tidy_mode'" >&2; exit 2 ;;
esac
if [[ $tidy_mode == off ]]; then
  exit 0
fi

# --- which files clang-tidy reads -----------------------------------------
changed_files() {
  local base=${TESSARO_TIDY_BASE:-}
  if [[ -z $base ]]; then
    if git rev-parse -q --verify main >/dev/null &&
        [[ $(git rev-parse HEAD) != $(git rev-parse main) ]]; then
      base=main
    elif git rev-parse -q --verify HEAD~1 >/dev/null; then
      base=HEAD~1
    else
      echo "-- clang-tidy-14: no commit before HEAD (a shallow clone?): uncommitted changes only" >&2
      base=HEAD
    fi
  fi
  local from
  from=$(git merge-base "$base" HEAD) || { echo "lint: no merge-base of $base and HEAD" >&2; exit 1; }
  echo "-- clang-tidy-14: C++ files changed since $base (${from:0:10})" >&2
  {
    git diff --name-only --diff-filter=d "$from" -- '*.cpp' '*.h'
    git ls-files --others --exclude-standard -- '*.cpp' '*.h'
  } | sort -u
}

# The compile database: configure only.
cmake -S . -B "$build" -G Ninja -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
  -DTESSARO_BUILD_UI=ON -DTESSARO_BUILD_BENCH=ON -DTESSARO_BUILD_FUZZ=OFF >/dev/null
mapfile -t in_db < <(python3 - "$build/compile_commands.json" "$root" <<'PY'
import json, os, sys
root = sys.argv[2] + "/"
for entry in json.load(open(sys.argv[1])):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    if path.startswith(root) and not path[len(root):].startswith("build"):
        print(path[len(root):])
PY
)

declare -A known=()
for f in "${in_db[@]}"; do known[$f]=1; done

# The Windows database: the files the Linux one does not have.
win_build=build-lint-win
mingw=x86_64-w64-mingw32-g++-posix
in_win_db=()
win_args=()
declare -A known_win=()
if command -v "$mingw" >/dev/null; then
  cmake -S . -B "$win_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/MinGW64Toolchain.cmake" \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DTESSARO_BUILD_UI=OFF -DTESSARO_BUILD_BENCH=OFF >/dev/null
  while IFS= read -r f; do
    [[ -n ${known[$f]:-} ]] && continue
    known_win[$f]=1
    in_win_db+=("$f")
  done < <(python3 - "$win_build/compile_commands.json" "$root" <<'PY'
import json, os, sys
root = sys.argv[2] + "/"
for entry in json.load(open(sys.argv[1])):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    if path.startswith(root) and not path[len(root):].startswith("build"):
        print(path[len(root):])
PY
  )
  # The cross compiler's C++ and Windows headers; clang brings its own
  # intrinsics.
  win_args=(--extra-arg-before=--target=x86_64-w64-mingw32)
  while read -r dir; do
    case $dir in
      */c++* | */x86_64-w64-mingw32/include) win_args+=("--extra-arg=-isystem$(realpath "$dir")") ;;
    esac
  done < <(echo | "$mingw" -xc++ -E -v - 2>&1 |
    sed -n '/#include <...> search starts here/,/End of search list/p' | grep '^ /')
else
  echo "-- clang-tidy-14: no $mingw, the Windows sources are not read" >&2
fi

sources=()
win_sources=()
if [[ $tidy_mode == all ]]; then
  echo "-- clang-tidy-14: every source file" >&2
  sources=("${in_db[@]}")
  win_sources=("${in_win_db[@]}")
else
  declare -A picked=()
  changed=$(changed_files)
  while IFS= read -r f; do
    [[ -n $f ]] || continue
    src=""
    if [[ $f == *.cpp ]]; then
      [[ -n ${known[$f]:-} || -n ${known_win[$f]:-} ]] && src=$f
    elif [[ -n ${known[${f%.h}.cpp]:-} || -n ${known_win[${f%.h}.cpp]:-} ]]; then
      src=${f%.h}.cpp
    else
      # Included by its path from the root, or (tests' helpers) from its folder.
      while IFS= read -r user; do
        if [[ -n ${known[$user]:-} || -n ${known_win[$user]:-} ]]; then src=$user; break; fi
      done < <(git grep -l -F -e "\"$f\"" -e "/${f##*/}\"" -e "\"${f##*/}\"" -- '*.cpp' || true)
    fi
    if [[ -n $src && -z ${picked[$src]:-} ]]; then
      picked[$src]=1
      if [[ -n ${known[$src]:-} ]]; then sources+=("$src"); else win_sources+=("$src"); fi
    fi
  done <<<"$changed"
fi

if [[ $((${#sources[@]} + ${#win_sources[@]})) -eq 0 ]]; then
  echo "-- clang-tidy-14: no changed source file"
  exit 0
fi
echo "-- clang-tidy-14: ${#sources[@]} + ${#win_sources[@]} (Windows) file(s), $jobs at a time"
# One file per call; its findings are printed whole when it is done, without
# clang's "N warnings generated." (those are in headers outside the filter).
tidy_one='
  out=$(clang-tidy-14 -p "$0" --quiet --warnings-as-errors="*" "$@" 2>&1)
  rc=$?
  [[ -z $out ]] || grep -v "^[0-9]* warnings\? generated\.$" <<<"$out" || true
  exit $(( rc != 0 ))'
failed=0
if [[ ${#sources[@]} -gt 0 ]]; then
  printf '%s\0' "${sources[@]}" | xargs -0 -n 1 -P "$jobs" bash -c "$tidy_one" "$build" || failed=1
fi
if [[ ${#win_sources[@]} -gt 0 ]]; then
  printf '%s\0' "${win_sources[@]}" |
    xargs -0 -n 1 -P "$jobs" bash -c "$tidy_one" "$win_build" "${win_args[@]}" || failed=1
fi
if [[ $failed -ne 0 ]]; then
  echo "lint: clang-tidy findings above (checks: .clang-tidy)" >&2
  exit 1
fi
