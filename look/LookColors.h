#pragma once
// Colour arithmetic of the flat look. Every input is resolved to red/green/blue first; every
// result is an explicit colour.
#include "LookTypes.h"

#include <QColor>

// System colour index -> application palette (resolved at the moment of use):
//   COLOR_SCROLLBAR 0         Active Button        COLOR_BACKGROUND 1      Active Window
//   COLOR_ACTIVECAPTION 2     Active Highlight     COLOR_INACTIVECAPTION 3 Disabled WindowText
//   COLOR_MENU 4              Active Window        COLOR_WINDOW 5          Active Base
//   COLOR_WINDOWFRAME 6       Active Shadow        COLOR_MENUTEXT 7        Active WindowText
//   COLOR_WINDOWTEXT 8        Active WindowText    COLOR_CAPTIONTEXT 9     Active HighlightedText
//   COLOR_ACTIVEBORDER 10     Active Button        COLOR_INACTIVEBORDER 11 Inactive Button
//   COLOR_APPWORKSPACE 12     Active Mid           COLOR_HIGHLIGHT 13      Active Highlight
//   COLOR_HIGHLIGHTTEXT 14    Active HighlightedText COLOR_BTNFACE 15      Active Button
//   COLOR_BTNSHADOW 16        Active Dark          COLOR_GRAYTEXT 17       Disabled Text
//   COLOR_BTNTEXT 18          Active ButtonText    COLOR_INACTIVECAPTIONTEXT 19 Disabled WindowText
//   COLOR_BTNHIGHLIGHT 20     Active Light         COLOR_3DDKSHADOW 21     Active Shadow
//   COLOR_3DLIGHT 22          Active Midlight      COLOR_INFOTEXT 23       Active ToolTipText
//   COLOR_INFOBK 24           Active ToolTipBase   COLOR_HOTLIGHT 26       Active Link
//   COLOR_GRADIENTACTIVECAPTION 27 Active Highlight COLOR_GRADIENTINACTIVECAPTION 28 Inactive Mid
//   COLOR_MENUHILIGHT 29      Active Highlight     COLOR_MENUBAR 30        Active Window
// Any other index resolves to black.
TColor ColorToRGB(TColor c);

TColor RGBColor(int red, int green, int blue);
inline int RedOf(TColor c) {
    return static_cast<int>(c & 0xFF);
}
inline int GreenOf(TColor c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
inline int BlueOf(TColor c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);

// red - n, green - n + 2, blue - n, each clamped to 0..255.
TColor Darken(TColor c, int n);
// x + round((255 - x) * (p / 100)) per channel, in extended precision, ties to even; p <= 100.
TColor Lighten(TColor c, int p);
// Per channel, the sum of (channel div n) over the n colours.
TColor MeanColor(const TColor* colors, int n);
TColor MeanColor(TColor a, TColor b);
// Grey of brightness (r + g + b) div 3 + n, capped at 240.
TColor GrayColor(TColor c, int n);
// fontColor on light backgrounds, else Lighten(back, 90).
TColor ContrastTextColor(TColor back, TColor fontColor);
