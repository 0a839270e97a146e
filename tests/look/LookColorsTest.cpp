#include "LookTestSupport.h"

#include <QImage>

namespace {

// Exact rational value of x + round((255 - x) * p / 100), ties to even.
int ExactLighten(int p, int x) {
    const int num = (255 - x) * p;
    const int q = num / 100, rem = num % 100;
    return x + q + ((rem > 50 || (rem == 50 && (q & 1))) ? 1 : 0);
}

} // namespace

TEST(LookColors, LightenMatchesTheNineExtendedPrecisionPairs) {
    struct Pair {
        int p, x, want;
    };
    const Pair pairs[] = {{15, 65, 94},   {21, 105, 136}, {30, 60, 119},  {30, 80, 133}, {30, 160, 189},
                          {42, 180, 211}, {53, 105, 184}, {59, 205, 234}, {65, 65, 188}};
    for (const Pair& pair : pairs) {
        const TColor got = Lighten(RGBColor(pair.x, pair.x, pair.x), pair.p);
        EXPECT_EQ(RedOf(got), pair.want) << "p=" << pair.p << " x=" << pair.x;
        EXPECT_NE(ExactLighten(pair.p, pair.x), pair.want);
    }
    // Everywhere else the result is the exact one.
    int differences = 0;
    for (int p = 0; p <= 100; ++p)
        for (int x = 0; x < 256; ++x)
            differences += RedOf(Lighten(RGBColor(x, 0, 0), p)) != ExactLighten(p, x);
    EXPECT_EQ(differences, 9);
}

TEST(LookColors, LightenCapsAtWhiteAndWorksPerChannel) {
    const TColor c = RGBColor(10, 100, 250);
    EXPECT_EQ(Lighten(c, 150), Lighten(c, 100));
    EXPECT_EQ(Lighten(c, 100), clWhite);
    EXPECT_EQ(Lighten(c, 0), c);
    EXPECT_EQ(Lighten(c, 50), RGBColor(10 + 122, 100 + 78, 250 + 2)); // 122.5 -> 122, 77.5 -> 78, 2.5 -> 2
}

TEST(LookColors, DarkenMeanGrayAndContrast) {
    EXPECT_EQ(Darken(clWhite, 60), RGBColor(195, 197, 195));
    EXPECT_EQ(Darken(RGBColor(10, 254, 20), 0), RGBColor(10, 255, 20));
    EXPECT_EQ(Darken(RGBColor(10, 20, 30), 50), RGBColor(0, 0, 0));
    const TColor two[2] = {RGBColor(3, 5, 255), RGBColor(4, 5, 255)};
    EXPECT_EQ(MeanColor(two, 2), RGBColor(1 + 2, 2 + 2, 127 + 127));
    const TColor three[3] = {RGBColor(2, 2, 2), RGBColor(2, 2, 2), RGBColor(2, 2, 2)};
    EXPECT_EQ(MeanColor(three, 3), RGBColor(0, 0, 0)); // each 2 div 3 is 0
    EXPECT_EQ(GrayColor(RGBColor(10, 20, 31), 5), RGBColor(25, 25, 25));
    EXPECT_EQ(GrayColor(clWhite, 10), RGBColor(240, 240, 240));
    EXPECT_EQ(ContrastTextColor(RGBColor(200, 0, 120), 0x123456), 0x123456u); // (200+120)/2 = 160
    EXPECT_EQ(ContrastTextColor(RGBColor(0, 201, 0), 0x123456), 0x123456u);
    EXPECT_EQ(ContrastTextColor(RGBColor(100, 100, 100), 0x123456), Lighten(RGBColor(100, 100, 100), 90));
}

TEST(LookColors, SystemColoursResolveThroughTheApplicationPalette) {
    EXPECT_EQ(ColorToRGB(clBtnFace), RGBColor(212, 208, 200));
    EXPECT_EQ(ColorToRGB(clHighlight), RGBColor(10, 36, 106));
    EXPECT_EQ(ColorToRGB(clBtnShadow), RGBColor(128, 128, 128));
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(ColorToRGB(clInactiveCaption), RGBColor(128, 128, 128));
    EXPECT_EQ(ColorToRGB(0xFF000063u), clBlack); // no such index
    EXPECT_EQ(Darken(clBtnFace, 10), RGBColor(202, 200, 190));
    // Resolved at the moment of use.
    const QPalette saved = QApplication::palette();
    QPalette changed = saved;
    changed.setColor(QPalette::Button, QColor(1, 2, 3));
    QApplication::setPalette(changed);
    EXPECT_EQ(ColorToRGB(clBtnFace), RGBColor(1, 2, 3));
    QApplication::setPalette(saved);
}

TEST(LookColors, DerivedTableInPropertyAndSystemModeAtSixteenAndEightBits) {
    QWidget form;
    TLookStyler look(&form);
    const QImage deep(1, 1, QImage::Format_RGB16), shallow(1, 1, QImage::Format_Indexed8);
    const TColor face = ColorToRGB(clBtnFace), highlight = ColorToRGB(clHighlight),
                 shadow = ColorToRGB(clBtnShadow);

    look.SetUseSystemColors(false);
    look.SetColor(0x102030);
    look.SetIconBackColor(0x203040);
    look.SetSelectColor(0x405060);
    look.SetSelectBorderColor(0x506070);
    look.SetSelectFontColor(0x607080);
    look.SetDisabledColor(0x708090);
    look.SetSeparatorColor(0x8090A0);
    look.SetCheckedColor(0x90A0B0);
    look.SetMenuBarColor(0xA0B0C0);
    look.SetUseDimColor(true);
    EXPECT_TRUE(look.ColorsStale);
    look.ComputeDerivedColors(&deep);
    EXPECT_FALSE(look.ColorsStale);
    EXPECT_TRUE(look.HighColor);
    const TDerivedColors& d = look.Derived;
    EXPECT_EQ(d.MenuColor, 0x102030u);
    EXPECT_EQ(d.IconBack, 0x203040u);
    EXPECT_EQ(d.Select, Lighten(0x405060, 68));
    EXPECT_EQ(d.SelectLight, Lighten(0x405060, 80));
    EXPECT_EQ(d.SelectPressed, Lighten(0x405060, 50));
    EXPECT_EQ(d.SelectBorder, 0x506070u);
    EXPECT_EQ(d.SelectFont, 0x607080u);
    EXPECT_EQ(d.Checked, 0x90A0B0u);
    EXPECT_EQ(d.MenuBar, 0xA0B0C0u);
    EXPECT_EQ(d.Disabled, 0x708090u);
    EXPECT_EQ(d.Separator, 0x8090A0u);
    EXPECT_EQ(d.MenuBorder, Darken(face, 90));
    EXPECT_EQ(d.MenuShadow, Darken(face, 76));

    look.SetUseDimColor(false);
    look.ComputeDerivedColors(&deep);
    EXPECT_EQ(d.Select, 0x405060u);
    EXPECT_EQ(d.SelectLight, 0x405060u);

    look.SetUseDimColor(true);
    look.ComputeDerivedColors(&shallow);
    EXPECT_FALSE(look.HighColor);
    EXPECT_EQ(d.Select, 0x405060u);
    EXPECT_EQ(d.SelectLight, clWhite);
    EXPECT_EQ(d.SelectPressed, clSilver);
    EXPECT_EQ(d.MenuBorder, clBtnShadow);
    EXPECT_EQ(d.MenuShadow, clBtnShadow);

    look.SetUseSystemColors(true);
    look.ComputeDerivedColors(&deep);
    EXPECT_EQ(d.MenuColor, Lighten(face, 86));
    EXPECT_EQ(d.IconBack, Lighten(face, 16));
    EXPECT_EQ(d.Select, Lighten(highlight, 68)); // whatever SelectColor holds
    EXPECT_EQ(d.SelectLight, Lighten(highlight, 80));
    EXPECT_EQ(d.SelectPressed, Lighten(highlight, 50));
    EXPECT_EQ(ColorToRGB(d.SelectBorder), highlight);
    EXPECT_EQ(d.SelectFont, look.Font().Color);
    EXPECT_EQ(ColorToRGB(d.Checked), highlight);
    EXPECT_EQ(ColorToRGB(d.MenuBar), face);
    EXPECT_EQ(d.Disabled, Lighten(shadow, 10));
    EXPECT_EQ(d.Separator, Lighten(shadow, 25));
    EXPECT_EQ(d.MenuBorder, Darken(face, 90));

    look.ComputeDerivedColors(&shallow);
    EXPECT_EQ(d.MenuColor, clWhite);
    EXPECT_EQ(ColorToRGB(d.IconBack), face);
    EXPECT_EQ(d.Select, clWhite);
    EXPECT_EQ(d.SelectPressed, clWhite);
    EXPECT_EQ(ColorToRGB(d.Disabled), shadow);
    EXPECT_EQ(ColorToRGB(d.Separator), shadow);
    EXPECT_EQ(d.MenuShadow, clBtnShadow);
}

TEST(LookColors, ConstructionValues) {
    QWidget form;
    TLookStyler look(&form);
    EXPECT_FALSE(look.Active());
    EXPECT_EQ(look.DimLevel(), 30);
    EXPECT_EQ(look.GrayLevel(), 10);
    EXPECT_EQ(look.IconWidth(), 24);
    EXPECT_EQ(look.Color(), clBtnFace);
    EXPECT_EQ(look.SelectColor(), clHighlight);
    EXPECT_EQ(look.DisabledColor(), clInactiveCaption);
    EXPECT_EQ(look.SelectFontColor(), look.Font().Color);
    EXPECT_EQ(look.LookContainers().Bits(), 1023u);
    EXPECT_EQ(look.LookControls().Bits(), 0xFFFFFFu);
    EXPECT_FALSE(look.ColorsStale);
    QWidget child(&form);
    EXPECT_THROW(TLookStyler{&child}, std::invalid_argument);
}
