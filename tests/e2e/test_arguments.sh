# Arguments that are not options change nothing: full screen, the splash screen, then
# the moving picture. An option's value is always the next argument, even "--windowed".
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
e2e_start_display 800x600

e2e_start_huemix --Windowed -windowed --windowed=1 --bogus 5 --MODE 3
e2e_wait_window
[ "$(e2e_window_geometry)" = "0 0 800 600" ] || e2e_fail "unknown arguments give $(e2e_window_geometry)"
e2e_wait_moving after-splash 15 || e2e_fail "the picture does not move after the splash"
e2e_key q
e2e_wait_exit && [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "Q does not end the program with 0"

e2e_start_huemix --mode --windowed
e2e_wait_window
[ "$(e2e_window_geometry)" = "0 0 800 600" ] || e2e_fail "--mode --windowed gives $(e2e_window_geometry)"
e2e_pass
