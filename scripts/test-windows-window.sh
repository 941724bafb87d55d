#!/usr/bin/env bash
# The native window, tessaro.exe, under Wine and Xvfb against the Linux
# simulator on a pseudo-terminal that Wine sees as COM1: Open (through the
# port dialog), discovery, an ACTIVE test, the Comm Properties, Base's ID,
# Base's Properties, Testing Criteria and About dialogs with scripted values,
# a program download, Exit; the statistics window after the test, whose
# exported table must have the columns and formats of tessaro-linktest --csv.  Checks what the simulator took (the dialogs'
# commands and the image), the boxes the window showed, and its screenshots
# at the places the shared layout gives the pictures and the counter cells.
#   scripts/test-windows-window.sh CROSS HOST OUT COM1
# CROSS: the Windows build, HOST: the Linux build with tessaro-basesim, OUT: a
# folder for the outputs, COM1: the path Wine maps COM1 to.  Called by
# scripts/test-windows.sh with a Wine prefix made by wine_prefix.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cross=$1 host=$2 out=$3 com1=$4
source "$root/scripts/wine-prefix.sh"
shots="$out/shots"
xvfb_pid="" sim_pid=""

stop() {
  exec 7>&- 2>/dev/null || true
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; fi
  "$wineserver" -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap stop EXIT
fail() { echo "window test: $*" >&2; exit 1; }

rm -rf "$out" && mkdir -p "$shots"

# A display, and Wine's own desktop in it (window frames and captions without
# a window manager).  The Wine server started without a display goes first.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$out/display" >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$out/display" ] && break; sleep 0.1; done
[ -s "$out/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$out/display")"
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w
"$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
"$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
"$wineserver" -w  # the registry as written, for the next start

# The simulator, its console on a pipe that stays open.
mkfifo "$out/sim.in"
rm -f "$com1"
"$host/sim/tessaro-basesim" --quiet --link "$com1" --image-out "$out/image.bin" \
  <"$out/sim.in" >"$out/sim.out" 2>"$out/sim.err" &
sim_pid=$!
exec 7>"$out/sim.in"
for _ in $(seq 100); do [ -L "$com1" ] && break; sleep 0.1; done
[ -L "$com1" ] || fail "the simulator did not publish $com1"

image="$root/tests/win32/image.ABO"
started=$(date +%s%N)
status=0
"$wine" "$cross/win32/tessaro.exe" --demo "$("$wine" winepath -w "$shots" 2>/dev/null)" \
  --demo-test-seconds 3 \
  --statistics "$("$wine" winepath -w "$out/statistics.csv" 2>/dev/null)" \
  --dialog comm \
  --dialog base-id:701=5,601=6 \
  --dialog base-properties:702=3,601=7 \
  --dialog criteria:601=20 \
  --dialog about \
  --download "$("$wine" winepath -w "$image" 2>/dev/null)" \
  >"$out/window.out" 2>"$out/window.err" </dev/null || status=$?
echo "window run: $(( ($(date +%s%N) - started) / 1000000 )) ms"
sed -i 's/\r$//' "$out/window.out"
[ "$status" -eq 0 ] || { cat "$out/window.out" "$out/window.err" >&2; fail "exit status $status"; }

# What the operator was told: the download went through, nothing else.
grep -q '^box "Update Base'"'"'s Program": Downloaded completely\.$' "$out/window.out" ||
  { cat "$out/window.out" >&2; fail "no \"Downloaded completely.\""; }
[ "$(grep -c '^box ' "$out/window.out")" -eq 1 ] || { cat "$out/window.out" >&2; fail "other boxes"; }

# What the simulator took: base 5 renumbered 6; base 1 on channel 3 with a
# time-out of 7 s; the image's bytes.
echo show >&7
for _ in $(seq 50); do grep -q '^line ' "$out/sim.out" && break; sleep 0.1; done
grep -q '^base 06 ' "$out/sim.out" || { cat "$out/sim.out" >&2; fail "base 5 was not renumbered 6"; }
grep -Eq '^base 01 \(attached\)  channel 3 .* time-out 7 s' "$out/sim.out" ||
  { cat "$out/sim.out" >&2; fail "base 1 did not take channel 3 and time-out 7"; }
want=$(tr -d '\r' <"$image" | sed -n 's/^S1......\(.*\)..$/\1/p' | tr -d '\n' | tr 'A-F' 'a-f')
got=$(od -An -tx1 -v "$out/image.bin" | tr -d ' \n')
[ "$want" = "$got" ] || fail "the simulator received another image"

# The statistics window: its table's terminals are the export's, both plots
# are drawn, and the export is what tessaro-linktest.exe --csv writes, header
# and number formats, for a short run on the same network.
check_statistics() {
  local table plotted rows
  read -r table plotted < <(sed -n 's/^statistics: \([0-9]*\) rows, \([0-9]*\) seconds plotted$/\1 \2/p' \
    "$out/window.out")
  [ -n "$table" ] && [ "$table" -gt 0 ] && [ "$plotted" -gt 0 ] ||
    { cat "$out/window.out" >&2; fail "the statistics window showed no rows or no seconds"; }
  [ -s "$shots/statistics.bmp" ] || fail "no statistics screenshot"
  rows=$(tail -n +2 "$out/statistics.csv" | cut -d, -f2 | sort -u | wc -l)
  [ "$rows" -eq "$table" ] || fail "the table has $table terminals, its export $rows"
  local colours
  colours=$(convert "$shots/statistics-plot.png" -format %c histogram:info:-)
  grep -q '#005AC8' <<<"$colours" && grep -q '#C81E1E' <<<"$colours" ||
    fail "the plot lacks the reply-time or the loss line"
  "$wine" "$cross/tools/tessaro-linktest.exe" --port COM1 --seconds 2 \
    --csv "$("$wine" winepath -w "$out/linktest.csv" 2>/dev/null)" >"$out/linktest.out" 2>&1 ||
    { cat "$out/linktest.out" >&2; fail "tessaro-linktest.exe failed"; }
  [ "$(head -n 1 "$out/statistics.csv")" = "$(head -n 1 "$out/linktest.csv")" ] ||
    fail "the export's header is not tessaro-linktest's: $(head -n 1 "$out/statistics.csv")"
  local row='^[0-9]+,[0-9]+(,-?[0-9]+){5},[0-9]+\.[0-9]{2}(,[0-9]+){6}(,[0-9]+\.[0-9]{3}){2},[0-9]+,[0-9]+$'
  for csv in statistics linktest; do
    [ "$(tail -n +2 "$out/$csv.csv" | grep -Ecv "$row")" -eq 0 ] && [ "$(wc -l <"$out/$csv.csv")" -gt 1 ] ||
      { cat "$out/$csv.csv" >&2; fail "$csv.csv: rows not in the link tool's formats"; }
  done
  echo "statistics: $table terminals in the table and the export; both plots drawn; the CSV is the link tool's"
}
check_statistics

# The screenshots, at the places the layout gives: each picture as its
# source (less the texts drawn over it), each counter cell with text
# in its colour.
for p in host base terminal; do
  convert "$root/resources/$p.xpm" -background white -flatten -type TrueColor "BMP3:$out/$p.bmp"
done
for stage in discovery active-test; do
  view="$shots/$stage-view.bmp"
  [ -s "$view" ] && [ -s "$shots/$stage.bmp" ] || fail "no $stage screenshots"
  mapfile -t items < <(tr -d '\r' <"$shots/$stage-layout.txt")
  pictures=0 cells=0
  for item in "${items[@]}"; do
    read -r kind a b c d e rest <<<"$item"
    if [ "$kind" = picture ]; then
      # The texts drawn over this picture (its number, the first column of
      # the text beside it), blacked out in both.
      masks=()
      for other in "${items[@]}"; do
        read -r k l t r bottom _ <<<"$other"
        [ "$k" = text ] || continue
        l=$((l > b ? l : b)) t=$((t > c ? t : c))
        r=$((r < b + d ? r : b + d)) bottom=$((bottom < c + e ? bottom : c + e))
        if [ "$l" -lt "$r" ] && [ "$t" -lt "$bottom" ]; then
          masks+=(-draw "rectangle $((l - b)),$((t - c)) $((r - b - 1)),$((bottom - c - 1))")
        fi
      done
      convert "$view" -crop "${d}x${e}+$b+$c" +repage -fill black "${masks[@]}" "BMP3:$out/crop.bmp"
      convert "$out/$a.bmp" -fill black "${masks[@]}" "BMP3:$out/want.bmp"
      diff=$(compare -metric AE "$out/crop.bmp" "$out/want.bmp" null: 2>&1 || true)
      [ "$diff" = 0 ] || fail "$stage: the $a picture at ($b, $c) differs in $diff pixels"
      pictures=$((pictures + 1))
    elif [ "$kind" = text ] && [[ "$rest" =~ ^(SD|OK|NG|TM|AV): ]]; then
      colour=$([ "$e" = red ] && echo '#FF0000' || echo '#0000FF')
      convert "$view" -crop "$((c - a))x$((d - b))+$a+$b" +repage -format %c histogram:info:- |
        grep -q "$colour" || fail "$stage: no $e text in the cell \"$rest\" at ($a, $b)"
      cells=$((cells + 1))
    fi
  done
  [ "$pictures" -ge 4 ] && [ "$cells" -ge 5 ] || fail "$stage: $pictures pictures, $cells cells"
  echo "$stage: $pictures pictures and $cells counter cells where the layout puts them"
done
for shot in "$shots"/*.bmp; do convert "$shot" "${shot%.bmp}.png"; done
echo "screenshots: $shots"
