// The maker's web address as the program shows it: on the splash screen and at the
// end of the status line. Upper case, in characters the built-in font has.
#pragma once

inline constexpr char kSiteLabel[] = "KORVANE.ART";
