#!/usr/bin/env bash
# A video holds the GIF's frames: decoded by ffmpeg, it has as many frames, lasting as
# long, each close to the GIF's exact frame in luma (PSNR, both as 4:4:4). Without
# --frames it is one loop of 255. Its comment tag is the recipe a PNG would carry. On a
# terminal the render shows its progress; elsewhere only the summary line.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
TEXT=(python3 "$HERE/pngtext.py")
# Far below what the encoder keeps (about 40 dB), far above a frame out of step.
LEAST_MEAN_DB=35
LEAST_FRAME_DB=30

# video NAME FRAMES DELAY_MS "OPTIONS" [GIF_FRAMES]: the video and the GIF of the same options.
video() {
    local name="$1" frames="$2" delay="$3" options="$4" gif_frames="${5:-}"
    # shellcheck disable=SC2086
    render $options -o "$name.webm" || return
    # shellcheck disable=SC2086
    render $options ${gif_frames:+--frames "$gif_frames"} -o "$name.gif" || return
    local counted duration
    counted="$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$name.webm")"
    check "$name: $frames frames (decoded $counted)" test "$counted" = "$frames"
    duration="$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$name.webm")"
    check "$name: lasts $frames x $delay ms ($duration s)" \
        python3 -c "import sys; sys.exit(abs(float('$duration') - $frames * $delay / 1000) > 0.0005)"
    ffmpeg -v error -i "$name.webm" -i "$name.gif" \
        -lavfi "[0:v]format=yuv444p[a];[1:v]format=yuv444p[b];[a][b]psnr=stats_file=$name.psnr" -f null - ||
        { bad "$name: ffmpeg could not compare the frames"; return; }
    local summary
    summary="$(awk '{ for (i = 1; i <= NF; i++) if ($i ~ /^psnr_y:/) { split($i, v, ":"); y = v[2] + 0;
                  sum += y; n++; if (n == 1 || y < least) least = y } }
                END { printf "%d %.2f %.2f", n, sum / n, least }' "$name.psnr")"
    read -r compared mean least <<<"$summary"
    check "$name: every frame compared ($compared)" test "$compared" = "$frames"
    check "$name: luma PSNR $mean dB on average" awk "BEGIN { exit !($mean >= $LEAST_MEAN_DB) }"
    check "$name: luma PSNR $least dB in the worst frame" awk "BEGIN { exit !($least >= $LEAST_FRAME_DB) }"
}

video plasma 255 50 "--size 320x200 --seed 1 --mode 1" 255
video strings 255 50 "--size 322x201 --seed 2 --mode 4 --palette neon --step 2 --direction -1" 255
video zoom 9 130 "--size 320x200 --seed 12 --mode 8 --frames 9 --delay 130"
video help 5 50 "--size 320x200 --seed 5 --mode 3 --overlay help --frames 5 --hue 30 --ticks 3"

# The comment tag is the recipe, as the PNG of the same picture has it.
render --size 322x201 --seed 2 --mode 4 --palette neon --step 2 --direction -1 -o strings.png
tag="$(ffprobe -v error -show_entries format_tags=comment -of csv=p=0 strings.webm)"
check "the comment tag '$tag' is the recipe" test "$tag" = "$("${TEXT[@]}" get strings.png Comment)"
render --recipe strings.png -o again.webm
check "a video from the PNG's recipe has that recipe" \
    test "$(ffprobe -v error -show_entries format_tags=comment -of csv=p=0 again.webm)" = "$("${TEXT[@]}" get strings.png Comment)"

# Progress: on a terminal a line of frames, speed and time left; off one, nothing.
script -qec "$RENDER --size 320x200 --seed 3 --frames 20 -o tty.webm" /dev/null >tty.txt </dev/null
check "on a terminal the progress shows: $(tr '\r\033' '|~' <tty.txt | head -c 300)" \
    grep -aq "frame [0-9]* of 20, [0-9.]* frames/s, [0-9]*:[0-9][0-9] left" tty.txt
check "on a terminal the line is erased and the summary follows" \
    grep -aq "^huemix-render: wrote tty.webm" <(tr '\r' '\n' <tty.txt | sed 's/\x1b\[K//g')
"$RENDER" --size 320x200 --seed 3 --frames 20 -o quiet.gif >stdout 2>stderr
check "off a terminal nothing on stderr" test ! -s stderr
check "off a terminal one summary line" test "$(wc -l <stdout)" -eq 1
finish
