// The three overlays: the help screen (drawn into the Canvas in colour indices), the
// status strip and the help hint (drawn into the frame pixels in a fixed colour).
#pragma once
#include <cstddef>
#include <cstdint>

// Light grey with a top byte of 0xFF, the colour of all text laid over the frame.
constexpr uint32_t kOverlayTextColour = 0xFFE0E0E0u;

// ---- help screen ----

constexpr int kHelpKeyCount = 17;
constexpr int kHelpModeCount = 9;

// Key labels and their descriptions, paired row by row.
extern const char* const HelpKeys[kHelpKeyCount];
extern const char* const HelpTexts[kHelpKeyCount];
// The digit of each drawing mode and the name the help screen gives it.
extern const char* const HelpModeKeys[kHelpModeCount];
extern const char* const HelpModeNames[kHelpModeCount];

// Placement of the help screen, in Canvas pixels. Rows follow each other by `line`.
struct HelpLayout {
    int32_t a;          // body scale
    int32_t t;          // title scale
    int32_t line;       // line pitch
    int32_t gap;        // between the key column and the description column
    int32_t keyW;       // widest key label
    int32_t textW;      // widest description or mode name
    int32_t left;       // the key column spans left .. left + keyW, right-aligned
    int32_t textX;      // where descriptions and mode names start
    int32_t top;        // top of the title, at least 4
    int32_t titleX;
    int32_t keysY;      // the "KEYS" heading; key row i (0-based) at keysY + (i + 1) * line
    int32_t modesY;     // the "MODES" heading; mode row i at modesY + (i + 1) * line
};

// The help screen's layout on a width x height Canvas with this small text scale.
HelpLayout ComputeHelpLayout(int32_t width, int32_t height, int32_t textScaleSmall);

// Overwrites the whole Canvas with the list of keys and modes.
void DrawHelpScreen();

// ---- status strip ----

struct StripLayout {
    int32_t scale;  // the medium text scale
    int32_t top;    // first row of the band, which runs to the bottom edge
    int32_t textX;
    int32_t textY;
};

StripLayout ComputeStripLayout(int32_t height, int32_t textScaleMedium);

// Writes the status line for the current state into a buffer of `size` bytes,
// truncating if it must; the result is always NUL-terminated when size > 0.
void FormatStatusLine(char* buffer, size_t size);

// Darkens the bottom band of the frame and writes the status line into it.
void DrawStatusStrip(uint32_t* pixels);

// ---- help hint ----

// The hint's text and its darkened box, rows boxTop .. boxBottom - 1 and columns
// boxLeft .. boxRight - 1 (before cutting to the frame).
struct HintLayout {
    int32_t scale;
    int32_t textX;
    int32_t textY;
    int32_t boxLeft;
    int32_t boxTop;
    int32_t boxRight;
    int32_t boxBottom;
};

HintLayout ComputeHintLayout(int32_t width, int32_t height, int32_t textScaleSmall,
                             int32_t textScaleMedium);

// Shows "F1 = HELP" for 1000 ms after the last input.
void DrawHelpHint(uint32_t* pixels);

// ---- shared by the strip and the hint ----

// Scales red, green and blue of every pixel in rows top .. bottom - 1 and columns
// left .. right - 1 to percent / 100 (truncated) and clears the top byte. The rectangle
// is cut to the width x height frame first.
void DarkenRect(uint32_t* pixels, int32_t width, int32_t height, int32_t left, int32_t top,
                int32_t right, int32_t bottom, uint32_t percent);
