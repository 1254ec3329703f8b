# --monitor N puts the program on display N (counted from 0) at that display's size,
# full screen or framed at its corner + 50, on an X server with two monitors side by
# side: 1280 x 1024 at (0, 0) and 1024 x 768 at (1280, 0).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
linux_init "$@"
command -v Xorg >/dev/null 2>&1 || linux_skip "missing tool: Xorg (xserver-xorg-core, xserver-xorg-video-dummy)"
e2e_start_two_monitors

# Each row: the options, then the window's place and size (x y width height).
cases=(
    "--monitor 0|0 0 1280 1024"
    "--monitor 1|1280 0 1024 768"
    "--monitor 1 --windowed|1330 50 1024 768"
    "--monitor 0 --windowed|50 50 1280 800"
)
for row in "${cases[@]}"; do
    read -r -a options <<<"${row%%|*}"
    expected="${row#*|}"
    e2e_start_huemix --mode 2 "${options[@]}"
    e2e_wait_window
    e2e_wait_geometry "$expected" 10 || e2e_fail "${options[*]}: the window is at $(e2e_window_geometry), not $expected"
    e2e_stop_huemix
done
e2e_pass
