// Virtual-key codes the program answers to, the ids of its five window timers and
// their fixed intervals. The codes are the platform's own values, so the window
// procedure hands wParam over unchanged.
#pragma once
#include <cstdint>

// ---- keys ----
constexpr int kKeyEnter = 0x0D;
constexpr int kKeyEscape = 0x1B;
constexpr int kKeySpace = 0x20;
constexpr int kKeyDigit1 = 0x31;  // 1 .. 9 on the main keyboard: 0x31 .. 0x39
constexpr int kKeyDigit9 = 0x39;
constexpr int kKeyB = 0x42;
constexpr int kKeyH = 0x48;
constexpr int kKeyP = 0x50;
constexpr int kKeyQ = 0x51;
constexpr int kKeyR = 0x52;
constexpr int kKeyS = 0x53;
constexpr int kKeyV = 0x56;
constexpr int kKeyX = 0x58;
constexpr int kKeyPadPlus = 0x6B;
constexpr int kKeyPadMinus = 0x6D;
constexpr int kKeyF1 = 0x70;
constexpr int kKeyF11 = 0x7A;
constexpr int kKeyF12 = 0x7B;
constexpr int kKeyPlus = 0xBB;  // the main keyboard's = and + key
constexpr int kKeyMinus = 0xBD;
constexpr int kKeyOpenBracket = 0xDB;
constexpr int kKeyCloseBracket = 0xDD;

// ---- timers ----
constexpr int kTimerRotation = 1;   // one palette rotation tick
constexpr int kTimerSplash = 2;     // once: leaves the splash screen
constexpr int kTimerAutoCycle = 3;  // next mode, while auto-cycling is on
constexpr int kTimerHint = 4;       // keeps the help hint current
constexpr int kTimerZoom = 5;       // next Mandelbrot zoom frame, while mode 8 is current

constexpr int32_t kSplashMs = 3000;
constexpr int32_t kAutoCycleMs = 30000;
constexpr int32_t kHintTimerMs = 200;
constexpr int32_t kZoomFrameMs = 120;

// The + and - keys and the wheel move the rotation interval in these steps and bounds.
constexpr int32_t kIntervalStepMs = 5;
constexpr int32_t kFastestIntervalMs = 5;
constexpr int32_t kSlowestIntervalMs = 500;

// Timer 4 keeps refreshing this long after the last input, a little past the hint's
// 1000 ms, so that the frame that removes the hint is composed too.
constexpr uint32_t kHintRefreshWindowMs = 1300;
