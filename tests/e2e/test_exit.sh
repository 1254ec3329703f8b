# Q, X and closing the window (Alt+F4) end the program with exit code 0; Esc does not.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
e2e_start_display 640x480

for way in q x alt+F4; do
    e2e_start_huemix --mode 1
    e2e_wait_window
    if [ "$way" = q ]; then
        e2e_key Escape Escape
        e2e_wait_for 2 _e2e_ended && e2e_fail "Esc ended the program"
        _e2e_find_window || e2e_fail "Esc closed the window"
    fi
    e2e_key "$way"
    e2e_wait_exit || e2e_fail "$way does not end the program"
    [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "$way ends with exit code $E2E_EXIT_CODE"
done
e2e_pass
