# Space stops the colour cycling and starts it again.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
e2e_start_display 800x600
e2e_start_huemix --mode 1
e2e_wait_window

e2e_wait_moving moving 10 || e2e_fail "mode 1 does not move"

e2e_key space
# The help hint goes away a second after the key; then nothing may change at all.
still="$(e2e_wait_still paused 8)" || e2e_fail "the picture keeps moving after Space"
sleep 1
e2e_check "the paused picture changed" e2e_same "$still" "$(e2e_capture paused-later)"

e2e_key space
e2e_wait_moving moving-again 5 || e2e_fail "Space does not start the movement again"
e2e_pass
