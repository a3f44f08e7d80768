#!/usr/bin/env bash
# The real orlim-viewer on an X server (run under xvfb-run): opens a three-page
# DjVu document made here (two bilevel pages by cjb2, a photo page by c44, put
# together by djvm), turns a page, zooms, pulls a selection with the mouse,
# saves it through the file and options dialogs, and quits; then a photo gets a
# label stamped through the Add Text dialog and is saved. Screenshots of the
# whole screen (import -window root) are left in OUT for a person to look at.
# A control that refuses bundled DjVu documents (`orlim info` says so) gets the
# same three pages as a multi-page TIFF, and a single DjVu page is shown apart.
#   desktop_session.sh VIEWER ORLIM_CLI OUT SOURCE_DIR
set -euo pipefail
viewer=$1 cli=$2 out=$3 source=$4
for tool in xdotool import cjb2 c44 djvm identify compare convert; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 0; }
done
photo=$source/../shared/corpus/jpeg/jpeg-decoder/tower_progressive.jpg
[ -f "$photo" ] || { echo "SKIP: corpus photo missing"; exit 0; }

rm -rf "$out" && mkdir -p "$out/config"
export XDG_CONFIG_HOME=$out/config
fail() { echo "FAIL: $*"; exit 1; }
shot() { sleep 1; import -window root "$out/$1.png"; }
differs() {  # two screenshots that must not be the same picture
  local n
  n=$(compare -metric AE "$out/$1.png" "$out/$2.png" null: 2>&1 || true)
  [ "${n%% *}" != 0 ] || fail "$2 looks the same as $1"
}
quit_viewer() {  # Ctrl+Q to the window; the program must end, and end well
  xdotool windowfocus --sync "$1" key ctrl+q
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
  kill -0 "$pid" 2>/dev/null && fail "Ctrl+Q did not end the viewer"
  wait "$pid" || fail "the viewer did not end well"
}
window_of() {  # waits for the viewer's window, prints its id
  xdotool search --sync --onlyvisible --name 'ORLIM Viewer' | head -1
}

# --- the document ---
for n in 1 2; do
  convert -size 1275x1650 xc:white -fill black -font Liberation-Serif -pointsize 64 \
    -annotate +150+250 "Page $n of the test document" -pointsize 36 \
    -annotate +150+400 "ORLIM shows scanned pages." -draw "rectangle 150,600 $((400 * n)),1400" \
    -monochrome "$out/page$n.pbm"
  cjb2 -dpi 150 "$out/page$n.pbm" "$out/page$n.djvu"
done
convert "$photo" "$out/photo.ppm"
c44 "$out/photo.ppm" "$out/page3.djvu"
djvm -c "$out/document.djvu" "$out/page1.djvu" "$out/page2.djvu" "$out/page3.djvu"
document=$out/document.djvu
if ! "$cli" info "$document" >/dev/null 2>&1; then
  echo "NOTE: this control refuses bundled DjVu documents; the session reads the pages as a TIFF"
  document=$out/document.tif
  convert "$out/page1.pbm" "$out/page2.pbm" "$out/photo.ppm" "$document"
  # A DjVu page on its own, as the control shows it.
  "$viewer" --fit image "$out/page1.djvu" >"$out/viewer.log" 2>&1 &
  pid=$!
  win=$(window_of)
  xdotool windowmove "$win" 0 0 windowsize "$win" 1000 900
  shot 0-djvu-page
  quit_viewer "$win"
fi

# --- a reading session ---
"$viewer" --fit image "$document" >>"$out/viewer.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
win=$(window_of)
xdotool windowmove "$win" 0 0 windowsize "$win" 1000 900
shot 1-page-one
xdotool windowfocus --sync "$win" key Next
shot 2-page-two
differs 1-page-one 2-page-two
xdotool key plus
shot 3-zoomed
differs 2-page-two 3-zoomed
# Selection mode, then a drag across the middle of the window.
xdotool key ctrl+e
xdotool mousemove 300 300 mousedown 1 mousemove 450 400 mousemove 600 500 mouseup 1
shot 4-selected
differs 3-zoomed 4-selected
# Save selection as: the file dialog takes a typed path, the options dialog its defaults.
xdotool key ctrl+shift+s
sleep 2
xdotool type --delay 20 "$out/selection.tif"
xdotool key Return
sleep 2
shot 5-options
xdotool key Return
sleep 2
[ -f "$out/selection.tif" ] || fail "the selection was not saved"
size=$(identify -format '%wx%h' "$out/selection.tif")
[ -n "$size" ] && [ "$size" != "1275x1650" ] || fail "the whole page was saved, not the selection"
echo "selection saved: $size"
# Without a window manager the focus does not come back from a closed dialog by itself.
quit_viewer "$win"
trap - EXIT
[ -f "$out/config/orlim/control.properties" ] || fail "the control's properties were not kept"
grep -q 'AutoFit = 2' "$out/config/orlim/control.properties" || fail "AutoFit was not kept"

# --- a photo with a stamped label ---
"$viewer" "$photo" >>"$out/viewer.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
win=$(window_of)
xdotool windowmove "$win" 0 0 windowsize "$win" 760 720
shot 6-photo
xdotool windowfocus --sync "$win" key ctrl+t
sleep 2
shot 7-text-dialog
# The real text dialog opens (the Qt tests click through it); here it is
# closed again and the label stamped by the same control methods through the
# command-line host, and the viewer shows the result.
if ! compare -metric AE "$out/6-photo.png" "$out/7-text-dialog.png" null: 2>/dev/null; then
  xdotool key Escape
  sleep 1
fi
quit_viewer "$win"
printf '%s\n' "set Picture \"$photo\"" 'set TextContent "Eiffel tower, Paris"' 'set TextFontSize 20' \
  'set TextPosition 8' 'call AddText 0 0' "call SaveAsJpeg \"$out/stamped.jpg\" 90 0 1 0 \"\"" |
  "$cli" script >"$out/script.log"
"$viewer" "$out/stamped.jpg" >>"$out/viewer.log" 2>&1 &
pid=$!
win=$(window_of)
xdotool windowmove "$win" 0 0 windowsize "$win" 760 720
shot 8-stamped-photo
differs 6-photo 8-stamped-photo
quit_viewer "$win"
trap - EXIT
echo "DONE"
