#include "saver/saver_command.h"

namespace {

char16_t FoldLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

SaverAction ActionOf(char16_t letter) {
    switch (FoldLower(letter)) {
        case u's': return SaverAction::Run;
        case u'p': return SaverAction::Preview;
        case u'a': return SaverAction::Nothing;
        default: return SaverAction::Configure;
    }
}

}  // namespace

int ReadWindowHandle(const char16_t* text, uint64_t* handle) {
    if (!text || !*text) return 0;
    uint64_t value = 0;
    for (; *text; ++text) {
        if (*text < u'0' || *text > u'9') return 0;
        const uint64_t digit = static_cast<uint64_t>(*text - u'0');
        if (value > (UINT64_MAX - digit) / 10) return 0;  // past 64 bits
        value = value * 10 + digit;
    }
    *handle = value;
    return 1;
}

SaverCommand ReadSaverCommand(int argc, const char16_t* const* argv) {
    SaverCommand command = {SaverAction::Configure, 0, 0};
    if (!argv || argc < 2 || !argv[1]) return command;
    const char16_t* arg = argv[1];
    // "/x" or "-x", then the end of the argument or ":" and what follows it.
    if ((arg[0] != u'/' && arg[0] != u'-') || arg[1] == u'\0') return command;
    if (arg[2] != u'\0' && arg[2] != u':') return command;
    command.action = ActionOf(arg[1]);
    // Only /p and /c name a window; any other letter shows the settings unowned.
    const char16_t letter = FoldLower(arg[1]);
    if (letter != u'p' && letter != u'c') return command;
    const char16_t* handleText = nullptr;
    if (arg[2] == u':') {
        handleText = arg + 3;
    } else if (argc > 2) {
        handleText = argv[2];
    }
    uint64_t handle = 0;
    if (ReadWindowHandle(handleText, &handle) && handle != 0) {
        command.window = handle;
        command.windowValid = 1;
    }
    return command;
}
