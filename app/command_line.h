// Reading the five options (--windowed, --mode, --palette, --speed, --monitor) into
// art's option fields. Never an error: anything unrecognised is passed over.
#pragma once
#include <cstdint>

// Reads an argument vector of UTF-16 strings; argv[0], the program path, is skipped.
void ParseArguments(int argc, const char16_t* const* argv);

// A signed decimal value: leading white space, an optional sign, digits up to the first
// other character; no digits reads as 0; saturates at the int32 limits.
int32_t ReadIntegerValue(const char16_t* text);

// The preset whose name matches (ASCII letters folded, each unit's low byte, at most
// 31 units), or -1 when none does.
int32_t FindPresetByName(const char16_t* text);

// The Windows side: GetCommandLineW, CommandLineToArgvW, ParseArguments, LocalFree.
void ParseCommandLine();
