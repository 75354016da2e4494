#!/usr/bin/env bash
# The page as the real program shows it under Xvfb, in DejaVu Serif 14,
# dark grey on cream: a right-to-left line stands against the column's right
# edge, a Latin one against its left, and lines stand 1.5 times their height
# apart (two equal lines' tops are more than twice their letters' height
# apart, where the font's own spacing gives about 1.6).
set -euo pipefail
program=$1
source "$(dirname "$0")/../scripts/x-session.sh"
x_session_start 1366x768
mkdir -p "$XDG_CONFIG_HOME"
printf '[Inkwellor%%20Software]\nName=DejaVu Serif\nSize=14\nBold=0\nForeColor=3355443\nBackColor=15397364\n' \
    >"$XDG_CONFIG_HOME/Quillwerk.ini"
printf 'مرحبا بالعالم\nHello\nHello\n' >"$work/page.txt"

"$program" >"$work/program.log" 2>&1 &
app=$!
pids+=($app)
find_window --class inkwellor >/dev/null
panel_file_dialog 55 'Select A File To Load' "$work/page.txt"
xdotool key ctrl+End # the caret away from the lines measured

# Runs of rows with ink in them, one "top height" a line, top to bottom.
shot=$work/page.png
runs() {
    convert "$shot" -crop 1300x768+0+0 +repage -fuzz 25% -fill white -opaque '#F4F1EA' \
        -fill black +opaque white -colorspace gray -scale '1x768!' -depth 8 txt:- |
        awk -F'[,:]' 'NR > 1 { ink = $0 !~ /#FFFFFF/; y = $2
            if (ink && start < 0) start = y
            if (!ink && start >= 0) { print start, y - start; start = -1 } }
            BEGIN { start = -1 }'
}
# The ink of a run of rows: "left right".
across() { # across TOP HEIGHT
    convert "$shot" -crop "1300x$2+0+$1" +repage -fuzz 25% -trim -format '%X %w\n' info: |
        tr -d '+' | awk '{ print $1, $1 + $2 }'
}
# The three lines once the load has painted them, the panel gone.
until_ok "! xwininfo -id $panel | grep -q IsViewable"
lines=()
for _ in $(seq 200); do
    import -window root "$shot" 2>/dev/null && mapfile -t lines < <(runs)
    [ "${#lines[@]}" -ge 3 ] && break
    sleep 0.1
done
[ "${#lines[@]}" -ge 3 ] || fail "fewer than three lines of text: ${lines[*]}"
read -r top1 height1 <<<"${lines[0]}"
read -r top2 height2 <<<"${lines[1]}"
read -r top3 _ <<<"${lines[2]}"
read -r arabic_left arabic_right < <(across "$top1" "$height1")
read -r hello_left hello_right < <(across "$top2" "$height2")
echo "page: Arabic at $arabic_left..$arabic_right, Hello at $hello_left..$hello_right, line tops $top2 and $top3, letters $height2 high"
[ "$arabic_left" -gt $((hello_right + 200)) ] || fail "the Arabic line does not stand on the right"
[ $((top3 - top2)) -gt $((2 * height2)) ] ||
    fail "lines stand too close: $((top3 - top2)) apart for letters $height2 high"
echo "smoke-page: passed"
