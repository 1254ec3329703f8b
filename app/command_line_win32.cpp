#include <windows.h>
#include <shellapi.h>

#include "app/command_line.h"

void ParseCommandLine() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return;  // every option keeps its default
    // wchar_t is UTF-16 on Windows, the same units as char16_t.
    ParseArguments(argc, reinterpret_cast<const char16_t* const*>(argv));
    LocalFree(argv);
}
