// Default settings of the sanitizers for the programs of the sanitizer build; the
// ASAN_OPTIONS and UBSAN_OPTIONS environment variables still override them.
extern "C" {
const char* __asan_default_options() {
    return "halt_on_error=1:detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1:"
           "strict_init_order=1:check_initialization_order=1";
}
const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }
}
