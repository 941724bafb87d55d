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
# A new prefix has no Marlett, whose glyphs draw the caption's buttons:
# Debian's fonts-wine has it.
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
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
# source (less the texts drawn over it), each counter cell with text in its
# colour.  Pictures and cells scrolled out of sight are passed over.
#   check_shots SHOTS PERCENT STAGE...
# At 100 % a picture is its single-size source to the pixel; above, it is
# the double-size source brought to the layout's size, pixel for pixel within
# a shade but for a few edge pixels (1 %; the single-size source stretched
# differs in 10 % and more).
check_shots() {
  local dir=$1 percent=$2 stage item i j n kind a b c d e rest l t r bottom
  shift 2
  for stage in "$@"; do
    view="$dir/$stage-view.bmp"
    [ -s "$view" ] && [ -s "$dir/$stage.bmp" ] || fail "no $stage screenshots"
    read -r vw vh < <(identify -format '%w %h\n' "$view")
    mapfile -t items < <(tr -d '\r' <"$dir/$stage-layout.txt")
    # The texts' boxes, read once.
    tl=() tt=() tr_=() tb=()
    for item in "${items[@]}"; do
      read -r kind a b c d _ <<<"$item"
      [ "$kind" = text ] || continue
      tl+=("$a") tt+=("$b") tr_+=("$c") tb+=("$d")
    done
    n=${#tl[@]}
    pictures=0 cells=0
    for item in "${items[@]}"; do
      read -r kind a b c d e rest <<<"$item"
      if [ "$kind" = picture ]; then
        ((b >= 0 && c >= 0 && b + d <= vw && c + e <= vh)) || continue
        # The texts drawn over this picture (its number, the first column of
        # the text beside it), blacked out in both.
        masks=()
        for ((j = 0; j < n; j++)); do
          l=$((tl[j] > b ? tl[j] : b)) t=$((tt[j] > c ? tt[j] : c))
          r=$((tr_[j] < b + d ? tr_[j] : b + d)) bottom=$((tb[j] < c + e ? tb[j] : c + e))
          if ((l < r && t < bottom)); then
            masks+=(-draw "rectangle $((l - b)),$((t - c)) $((r - b - 1)),$((bottom - c - 1))")
          fi
        done
        convert "$view" -crop "${d}x${e}+$b+$c" +repage -fill black "${masks[@]}" "BMP3:$out/crop.bmp"
        if [ "$percent" = 100 ]; then
          convert "$root/resources/$a.xpm" -background white -flatten -type TrueColor \
            -fill black "${masks[@]}" "BMP3:$out/want.bmp"
          diff=$(compare -metric AE "$out/crop.bmp" "$out/want.bmp" null: 2>&1 || true)
          allowed=0
        else
          convert "$root/resources/$a-2x.xpm" -background white -flatten -filter box \
            -resize "${d}x${e}!" -type TrueColor -fill black "${masks[@]}" "BMP3:$out/want.bmp"
          diff=$(compare -metric AE -fuzz 20% "$out/crop.bmp" "$out/want.bmp" null: 2>&1 || true)
          allowed=$((d * e / 100))
        fi
        [ "${diff%.*}" -le "$allowed" ] 2>/dev/null ||
          fail "$stage: the $a picture at ($b, $c) differs in $diff pixels (at most $allowed)"
        pictures=$((pictures + 1))
      elif [ "$kind" = text ] && [[ "$rest" =~ ^(SD|OK|NG|TM|AV): ]]; then
        ((a >= 0 && b >= 0 && c <= vw && d <= vh)) || continue
        colour=$([ "$e" = red ] && echo '#FF0000' || echo '#0000FF')
        convert "$view" -crop "$((c - a))x$((d - b))+$a+$b" +repage -format %c histogram:info:- |
          grep -q "$colour" || fail "$stage: no $e text in the cell \"$rest\" at ($a, $b)"
        cells=$((cells + 1))
      fi
    done
    [ "$pictures" -ge 4 ] && [ "$cells" -ge 5 ] || fail "$stage: $pictures pictures, $cells cells"
    echo "$stage at $percent %: $pictures pictures and $cells counter cells where the layout puts them"
  done
}

# Whether the number NN (a base's or a terminal's, white on its picture) is
# in sight in STAGE's view: 0 when it is, 1 when not.
#   number_in_sight SHOTS STAGE NN
number_in_sight() {
  local view="$1/$2-view.bmp" vw vh
  read -r vw vh < <(identify -format '%w %h\n' "$view")
  tr -d '\r' <"$1/$2-layout.txt" | awk -v n="$3" -v w="$vw" -v h="$vh" '
    $1 == "text" && $6 == "white" && $7 == n && $2 >= 0 && $3 >= 0 && $4 <= w && $5 <= h { found = 1 }
    END { exit found ? 0 : 1 }'
}

check_shots "$shots" 100 discovery active-test

# Every base and every terminal, at 150 % (LogPixels 144): the view is larger
# than the window, the lowest row and the far corner are reached by
# scrolling, and the pictures come from their double-size drawings.
wide="$out/wide"
mkdir -p "$wide"
exec 7>&-
kill "$sim_pid" 2>/dev/null || true
wait "$sim_pid" 2>/dev/null || true
rm -f "$com1"
"$host/sim/tessaro-basesim" --quiet --no-console --link "$com1" \
  --scenario "$root/tests/win32/network-16x99.json" >"$wide/sim.out" 2>&1 </dev/null &
sim_pid=$!
for _ in $(seq 100); do [ -L "$com1" ] && break; sleep 0.1; done
[ -L "$com1" ] || fail "the simulator did not publish $com1"
set_dpi() {
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  "$wineserver" -w
}
set_dpi 144
status=0
"$wine" "$cross/win32/tessaro.exe" --demo "$("$wine" winepath -w "$wide" 2>/dev/null)" \
  --demo-test-seconds 2 >"$wide/window.out" 2>"$wide/window.err" </dev/null || status=$?
set_dpi 96
[ "$status" -eq 0 ] || { cat "$wide/window.out" "$wide/window.err" >&2; fail "exit status $status at 150 %"; }
check_shots "$wide" 150 discovery bottom-left far-corner far-corner-test
# The test ran with the far corner in sight: every send counter there shows a
# count the cell redraws brought, not the zero it had when the view scrolled.
read -r vw vh < <(identify -format '%w %h\n' "$wide/far-corner-test-view.bmp")
changed=0
while read -r a b c d; do
  for shot in far-corner far-corner-test; do
    convert "$wide/$shot-view.bmp" -crop "$((c - a))x$((d - b))+$a+$b" +repage "BMP3:$out/$shot-cell.bmp"
  done
  diff=$(compare -metric AE "$out/far-corner-cell.bmp" "$out/far-corner-test-cell.bmp" null: 2>&1 || true)
  [ "${diff%.*}" -gt 0 ] 2>/dev/null || fail "the send counter at ($a, $b) was not redrawn in the scrolled view"
  changed=$((changed + 1))
done < <(tr -d '\r' <"$wide/far-corner-test-layout.txt" |
  awk -v w="$vw" -v h="$vh" '$1 == "text" && $7 ~ /^SD:/ && $2 >= 0 && $3 >= 0 && $4 <= w && $5 <= h { print $2, $3, $4, $5 }')
[ "$changed" -ge 4 ] || fail "only $changed send counters in sight in the far corner"
! number_in_sight "$wide" discovery 99 || fail "terminal 99 is in sight before scrolling"
number_in_sight "$wide" bottom-left 16 || fail "base 16 is not in sight in the lowest row"
number_in_sight "$wide" far-corner 99 || fail "terminal 99 is not in sight in the far corner"
echo "16 bases and 99 terminals at 150 %: base 16 and terminal 99 reached by scrolling, $changed counters redrawn there"

for shot in "$shots"/*.bmp "$wide"/*.bmp; do convert "$shot" "${shot%.bmp}.png"; done
echo "screenshots: $shots $wide"
