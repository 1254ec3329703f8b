// The screen saver's entry point: reads what the system asks for and runs the full
// screen, the preview or the settings dialog.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>

#include "app/shared_win32.h"
#include "app/startup.h"
#include "saver/saver_command.h"
#include "saver/saver_win32.h"

namespace {

SaverCommand ReadCommand() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return {SaverAction::Configure, 0, 0};
    // wchar_t is UTF-16 on Windows, the same units as char16_t.
    const SaverCommand command = ReadSaverCommand(argc, reinterpret_cast<const char16_t* const*>(argv));
    LocalFree(argv);
    return command;
}

HWND AsWindow(const SaverCommand& command) {
    return command.windowValid ? reinterpret_cast<HWND>(static_cast<uintptr_t>(command.window)) : nullptr;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    MakeDpiAware();
    const SaverCommand command = ReadCommand();
    switch (command.action) {
        case SaverAction::Run: return RunScreenSaver(instance);
        case SaverAction::Preview:
            // A handle that is 0, malformed or no window ends the preview at once.
            return command.windowValid ? RunPreview(instance, AsWindow(command)) : kExitNoWindow;
        case SaverAction::Configure: return RunSettingsDialog(instance, AsWindow(command));
        case SaverAction::Nothing: return kExitNormal;
    }
    return kExitNormal;
}
