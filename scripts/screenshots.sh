#!/usr/bin/env bash
# Takes the screenshots of docs/screenshots/ (README and metainfo): starts the program on the
# demo platform on a virtual display with a window manager, walks start window -> search ->
# "加入全部到列表" -> "开始分析" -> download window -> its login panel ("网页登录") -> 工具 › 设置 ->
# DOIs pasted onto the download list ("添加网址或DOI..."), and writes one PNG per step.
# The program runs with a throw-away home folder; your settings are not touched.
# Environment: SCREENSHOT_DISPLAY=:N picks the display (default: the first free one from :90).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
export PATH="/usr/bin:/bin:$PATH" # Debian's own ImageMagick and X tools first
"$root/scripts/deps.sh" xdotool wmctrl x11-utils imagemagick openbox optipng xclip
dir="$("$root/scripts/build.sh" | tail -n 1)"
out="$root/docs/screenshots"
mkdir -p "$out"

# The home folder shows in the pictures (the offered save folder), so it has a plain name.
demoHome="${TMPDIR:-/tmp}/mojing-demo"
if [ -e "$demoHome" ] && [ ! -e "$demoHome/.mojing-screenshots" ]; then
    echo "screenshots: $demoHome exists and is not ours; move it away first" >&2
    exit 1
fi
rm -rf "$demoHome"
mkdir -p "$demoHome" && touch "$demoHome/.mojing-screenshots"
work="$(mktemp -d)"
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[$i]}" 2>/dev/null || true
        wait "${pids[$i]}" 2>/dev/null || true
    done
    rm -rf "$work" "$demoHome"
}
trap cleanup EXIT

display="${SCREENSHOT_DISPLAY:-}"
if [ -z "$display" ]; then
    n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    display=":$n"
fi
Xvfb "$display" -screen 0 1400x900x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

export HOME="$demoHome" XDG_CONFIG_HOME="$demoHome/.config" XDG_DATA_HOME="$demoHome/.local/share"
export XDG_CACHE_HOME="$demoHome/.cache" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# Files named "Author Year Title", so that 工具 › 设置 shows a template at work. The keys are
# "[下载] 文件命名" as the settings file writes them.
mkdir -p "$XDG_CONFIG_HOME/mojing"
printf '[%%U4E0B%%U8F7D]\n%%U6587%%U4EF6%%U547D%%U540D={author} {year} {title}\n' \
    >"$XDG_CONFIG_HOME/mojing/墨鲸文献助手.ini"
"$dir/src/app/mojing" --demo >"$work/mojing.log" 2>&1 &
pids+=($!)

# The visible window whose title matches (a regular expression), waiting up to 60 s for it.
window() {
    local id
    for _ in $(seq 600); do
        id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1 || true)"
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    echo "screenshots: no window '$1' appeared; the program said:" >&2
    cat "$work/mojing.log" >&2
    exit 1
}
# Waits up to 10 s for a window to close.
closed() {
    for _ in $(seq 100); do
        xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
        xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable' || return 0
        sleep 0.1
    done
    echo "screenshots: a window did not close" >&2
    exit 1
}
# Where a window's client area is on the screen, and its size: X Y WIDTH HEIGHT.
geometryOf() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
        /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'
}
# Clicks at x,y inside a window's client area.
click() {
    local x y
    read -r x y _ _ < <(geometryOf "$1")
    xdotool mousemove $((x + $2)) $((y + $3))
    sleep 0.3
    xdotool click 1
}
# Clicks at a distance from the right edge of a window's client area (controls that keep to the
# right whatever the window's width).
clickFromRight() {
    local w
    read -r _ _ w _ < <(geometryOf "$1")
    click "$1" $((w - $2)) "$3"
}
# The red of the running "加入全部到列表" button at x,y inside a window.
isRed() {
    local x y rgb
    read -r x y _ _ < <(geometryOf "$1")
    rgb="$(import -window root -crop "1x1+$((x + $2))+$((y + $3))" -depth 8 txt:- | grep -o 'srgb([0-9,]*)' || true)"
    IFS='(,)' read -r _ r g _ <<<"$rgb"
    [ "${r:-0}" -gt $((${g:-0} + 60)) ]
}
# Saves the window with its frame (and any menu over it) as docs/screenshots/NAME.png.
shot() {
    local x y w h left right top bottom
    sleep "${3:-1}"
    read -r x y w h < <(geometryOf "$1")
    read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')
    import -window root -crop "$((w + left + right))x$((h + top + bottom))+$((x - left))+$((y - top))" \
        +repage "$work/$2.png"
    # An 8-bit palette keeps the pictures small; the interface has few colours.
    convert "$work/$2.png" -dither None -colors 256 "PNG8:$out/$2.png"
    optipng -quiet -o2 "$out/$2.png"
    echo "$out/$2.png"
}

cover="$(window '^墨鲸文献助手$')"
sleep 2 # start-up finishes and enables "资料检索下载"
shot "$cover" start
click "$cover" 185 240 # "资料检索下载"

search="$(window 'SAGE数据检索分析$')"
sleep 4 # the demo platform's home page
click "$search" 372 165 # the page's "Search" button
shot "$search" search 3

click "$search" 144 471 # "加入全部到列表": asks for the save folder first
window '^选择下载保存路径$' >/dev/null
sleep 0.5
xdotool key Return # "确定" with the offered folder
sleep 2
for _ in $(seq 120); do isRed "$search" 144 471 || break; sleep 1; done
click "$search" 156 544 # select the first article, so "开始分析" offers its modes
shot "$search" articles

click "$search" 43 500 # "开始分析": the popup menu of modes
sleep 0.5
xdotool key Up # the last entry, "分析全部"
shot "$search" analysis
xdotool key Return

downloads="$(window '^文件下载')"
sleep 1
# The first run opens it maximised; a smaller window makes a clearer picture.
wmctrl -i -r "$downloads" -b remove,maximized_vert,maximized_horz
wmctrl -i -r "$downloads" -e 0,150,80,1100,560
sleep 1
clickFromRight "$downloads" 274 56 # "开始下载"
shot "$downloads" downloads 8

click "$downloads" 150 136       # the second row, a finished PDF
clickFromRight "$downloads" 114 56 # "网页登录": the panel shows what the row's address answers
shot "$downloads" login 4
clickFromRight "$downloads" 69 109 # "关闭(隐藏)"

xdotool windowactivate --sync "$search"
click "$search" 140 11 # 工具(T)
sleep 0.5
xdotool key Down Return # 设置
options="$(window '^设置-')"
shot "$options" options
xdotool key Escape # "关闭"
closed "$options"

# DOIs as they come in a reference list or a mail, pasted onto the download list: Ctrl+V opens
# "添加网址或DOI" with them in its box.
printf '%s\n' 'doi:10.5555/demo.1' 'https://doi.org/10.5555/demo.2' '10.5555/demo.3' '' \
    '# 同事邮件里的文献' 'http://dx.doi.org/10.5555/demo.5' '10.5555/demo.6' |
    xclip -selection clipboard >/dev/null 2>&1 # it serves the clipboard until the display ends
xdotool windowactivate --sync "$downloads"
click "$downloads" 150 136 # a row: the list takes the keyboard
xdotool key ctrl+v
addresses="$(window '^添加网址或DOI$')"
shot "$addresses" add-addresses
xdotool key Escape
closed "$addresses"

# Every window names the program at most once in its title.
if xdotool search --name '墨鲸文献助手.*墨鲸文献助手' >/dev/null 2>&1; then
    echo "screenshots: a window title names the program twice" >&2
    exit 1
fi
