#include "LookColors.h"

#include <QApplication>
#include <QPalette>

#include <algorithm>
#include <cfenv>
#include <cmath>

namespace {

struct SystemColorRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

constexpr int kSystemColorCount = 31;
constexpr SystemColorRole kSystemColors[kSystemColorCount] = {
    {QPalette::Active, QPalette::Button},
    {QPalette::Active, QPalette::Window},
    {QPalette::Active, QPalette::Highlight},
    {QPalette::Disabled, QPalette::WindowText},
    {QPalette::Active, QPalette::Window},
    {QPalette::Active, QPalette::Base},
    {QPalette::Active, QPalette::Shadow},
    {QPalette::Active, QPalette::WindowText},
    {QPalette::Active, QPalette::WindowText},
    {QPalette::Active, QPalette::HighlightedText},
    {QPalette::Active, QPalette::Button},
    {QPalette::Inactive, QPalette::Button},
    {QPalette::Active, QPalette::Mid},
    {QPalette::Active, QPalette::Highlight},
    {QPalette::Active, QPalette::HighlightedText},
    {QPalette::Active, QPalette::Button},
    {QPalette::Active, QPalette::Dark},
    {QPalette::Disabled, QPalette::Text},
    {QPalette::Active, QPalette::ButtonText},
    {QPalette::Disabled, QPalette::WindowText},
    {QPalette::Active, QPalette::Light},
    {QPalette::Active, QPalette::Shadow},
    {QPalette::Active, QPalette::Midlight},
    {QPalette::Active, QPalette::ToolTipText},
    {QPalette::Active, QPalette::ToolTipBase},
    {QPalette::Active, QPalette::NoRole},
    {QPalette::Active, QPalette::Link},
    {QPalette::Active, QPalette::Highlight},
    {QPalette::Inactive, QPalette::Mid},
    {QPalette::Active, QPalette::Highlight},
    {QPalette::Active, QPalette::Window},
};

int Clamp255(int v) {
    return std::clamp(v, 0, 255);
}

} // namespace

TColor RGBColor(int red, int green, int blue) {
    return static_cast<TColor>(Clamp255(red)) | (static_cast<TColor>(Clamp255(green)) << 8) |
           (static_cast<TColor>(Clamp255(blue)) << 16);
}

TColor ColorToRGB(TColor c) {
    if ((c & 0xFF000000u) == 0) return c;
    if ((c & 0xFF000000u) != clSystemColor) return c & 0xFFFFFFu;
    const unsigned index = c & 0xFFu;
    if (index >= kSystemColorCount || kSystemColors[index].role == QPalette::NoRole) return clBlack;
    const QPalette palette = QApplication::palette();
    return FromQColor(palette.color(kSystemColors[index].group, kSystemColors[index].role));
}

QColor ToQColor(TColor c) {
    const TColor rgb = ColorToRGB(c);
    return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

TColor FromQColor(const QColor& c) {
    return RGBColor(c.red(), c.green(), c.blue());
}

TColor Darken(TColor c, int n) {
    const TColor rgb = ColorToRGB(c);
    return RGBColor(RedOf(rgb) - n, GreenOf(rgb) - n + 2, BlueOf(rgb) - n);
}

TColor Lighten(TColor c, int p) {
    const TColor rgb = ColorToRGB(c);
    p = std::min(p, 100);
    // The nine (p, x) pairs that differ from exact arithmetic come from evaluating p / 100 and
    // the product in 80-bit extended precision; nearbyintl rounds ties to even.
    const long double factor = static_cast<long double>(p) / 100.0L;
    const int previousMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    auto channel = [factor](int x) {
        const long double product = static_cast<long double>(255 - x) * factor;
        return x + static_cast<int>(std::nearbyintl(product));
    };
    const TColor result = RGBColor(channel(RedOf(rgb)), channel(GreenOf(rgb)), channel(BlueOf(rgb)));
    std::fesetround(previousMode);
    return result;
}

TColor MeanColor(const TColor* colors, int n) {
    if (n <= 0) return clBlack;
    int r = 0, g = 0, b = 0;
    for (int i = 0; i < n; ++i) {
        const TColor rgb = ColorToRGB(colors[i]);
        r += RedOf(rgb) / n;
        g += GreenOf(rgb) / n;
        b += BlueOf(rgb) / n;
    }
    return RGBColor(r, g, b);
}

TColor MeanColor(TColor a, TColor b) {
    const TColor both[2] = {a, b};
    return MeanColor(both, 2);
}

TColor GrayColor(TColor c, int n) {
    const TColor rgb = ColorToRGB(c);
    const int v = std::min((RedOf(rgb) + GreenOf(rgb) + BlueOf(rgb)) / 3 + n, 240);
    return RGBColor(v, v, v);
}

TColor ContrastTextColor(TColor back, TColor fontColor) {
    const TColor rgb = ColorToRGB(back);
    if ((RedOf(rgb) + BlueOf(rgb)) / 2 > 150 || GreenOf(rgb) > 200) return fontColor;
    return Lighten(back, 90);
}
