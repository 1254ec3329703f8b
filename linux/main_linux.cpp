// The entry point of huemix on Linux: the program in a window of its own, or, handed
// a window by xscreensaver (or --window-id, or --root), the screen saver hack in it.
#include <cstdio>
#include <cstdlib>

#include "app/startup.h"
#include "huemix_version.h"
#include "linux/options_linux.h"
#include "linux/shell_linux.h"

int main(int argc, char** argv) {
    char warning[200];
    const LinuxOptions options = ReadLinuxOptions(argc, argv, std::getenv("XSCREENSAVER_WINDOW"), warning,
                                                  sizeof warning);
    if (warning[0]) std::fprintf(stderr, "huemix: %s\n", warning);
    switch (options.run) {
        case LinuxRun::Version: std::printf("huemix %s\n", HUEMIX_VERSION); return kExitNormal;
        case LinuxRun::Help: std::fputs(LinuxUsage, stdout); return kExitNormal;
        case LinuxRun::Error: std::fprintf(stderr, "huemix: %s\n", options.error); return kExitNoWindow;
        case LinuxRun::Hack: InstallStopSignals(); return RunHack(options);
        case LinuxRun::Program: InstallStopSignals(); return RunProgram(options);
    }
    return kExitNormal;
}
