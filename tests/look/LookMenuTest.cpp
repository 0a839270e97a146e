#include "LookTestSupport.h"

#include "TLookMenuStyle.h"
#include "TPopupFrameHook.h"

#include <QActionGroup>
#include <QCursor>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>

namespace {

// A form with a main menu and a popup menu.
class MenuForm : public QWidget {
  public:
    MenuForm() {
        resize(300, 200);
        Bar = new QMenuBar(this);
        File = Bar->addMenu(QStringLiteral("&File"));
        Open = File->addAction(QStringLiteral("&Open"));
        Save = File->addAction(QStringLiteral("Save"));
        Save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
        More = File->addMenu(QStringLiteral("More"));
        More->addAction(QStringLiteral("Inner"));
        Popup = new QMenu(this);
        Plain = Popup->addAction(QStringLiteral("Plain"));
        Separator = Popup->addSeparator();
        Checked = Popup->addAction(QStringLiteral("Checked"));
        Checked->setCheckable(true);
        Checked->setChecked(true);
        auto* group = new QActionGroup(Popup);
        Radio = Popup->addAction(QStringLiteral("Radio"));
        Radio->setCheckable(true);
        Radio->setActionGroup(group);
        Radio->setChecked(true);
        Disabled = Popup->addAction(QStringLiteral("Disabled"));
        Disabled->setEnabled(false);
        Shortcut = Popup->addAction(QStringLiteral("Copy"));
        Shortcut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    }
    QMenuBar* Bar;
    QMenu *File, *More, *Popup;
    QAction *Open, *Save, *Plain, *Separator, *Checked, *Radio, *Disabled, *Shortcut;
};

// The first and last column of r that hold caption ink (darker than mid grey), relative to
// r.left(); (-1, -1) when there is none.
std::pair<int, int> InkColumns(const QImage& image, const QRect& r) {
    int first = -1, last = -1;
    for (int x = r.left(); x <= r.right(); ++x)
        for (int y = r.top(); y <= r.bottom(); ++y)
            if (qGray(image.pixel(x, y)) < 128) {
                if (first < 0) first = x - r.left();
                last = x - r.left();
                break;
            }
    return {first, last};
}

// Ink width of a caption drawn whole in the look's font and colour, the way the look draws
// captions (after a blank, on a transparent surface laid over the background).
int CaptionInkWidth(const TLookStyler* look, const QString& caption, TColor back) {
    const QFontMetrics fm(look->Font().Font);
    TLookCanvas canvas(fm.horizontalAdvance(caption) + 20, fm.height() + 10);
    canvas.SetFont(look->Font().Font, look->Font().Color);
    TRect r{10, 5, canvas.Width(), canvas.Height()};
    canvas.DrawText(QStringLiteral(" ") + caption, r, DT_EXPANDTABS);
    QImage image(canvas.Width(), canvas.Height(), QImage::Format_RGB32);
    image.fill(ToQColor(back));
    {
        QPainter p(&image);
        canvas.CopyTo(p, 0, 0);
    }
    const auto [first, last] = InkColumns(image, image.rect());
    return last - first + 1;
}

// Pixels of exactly colour c in r.
int CountOf(const QImage& image, const QRect& r, TColor c) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += FromQColor(QColor::fromRgb(image.pixel(x, y))) == ColorToRGB(c);
    return n;
}

class LookMenu : public ::testing::Test {
  protected:
    void SetUp() override {
        // Away from every item: a top-level item under the mouse is drawn hot.
        QCursor::setPos(QPoint(5000, 5000));
        look = new TLookStyler(&form);
        look->SetActive(true);
        form.Popup->adjustSize();
    }
    TColor At(QAction* item, int dx, int dy) {
        const QRect a = form.Popup->actionGeometry(item);
        const QImage image = form.Popup->grab().toImage();
        return FromQColor(QColor::fromRgb(image.pixel(a.left() + dx, a.top() + dy)));
    }
    MenuForm form;
    TLookStyler* look = nullptr;
};

} // namespace

TEST_F(LookMenu, DecorationSetsAndRemovesTheHandlers) {
    EXPECT_EQ(form.Popup->style(), look->MenuStyle());
    EXPECT_EQ(form.Bar->style(), look->MenuStyle());
    EXPECT_EQ(form.File->style(), look->MenuStyle());
    EXPECT_EQ(DrawHandlerOf(form.Save), look);
    EXPECT_EQ(MeasureHandlerOf(form.Plain), look);
    look->SetActive(false);
    EXPECT_NE(form.Popup->style(), look->MenuStyle());
    EXPECT_EQ(DrawHandlerOf(form.Save), nullptr);

    // A main menu marked 999 is left alone; items marked 999 keep the style's drawing.
    SetLookTag(form.Bar, 999);
    SetLookTag(form.Plain, 999);
    look->SetActive(true);
    EXPECT_NE(form.Bar->style(), look->MenuStyle());
    EXPECT_EQ(DrawHandlerOf(form.Save), nullptr);
    EXPECT_EQ(DrawHandlerOf(form.Plain), nullptr);
    EXPECT_EQ(DrawHandlerOf(form.Checked), look);

    // A foreign draw handler stays unless OverrideOwnerDraw is on.
    look->SetActive(false);
    QObject other;
    form.Radio->setProperty("OnDrawItem", QVariant::fromValue<QObject*>(&other));
    look->SetActive(true);
    EXPECT_EQ(DrawHandlerOf(form.Radio), &other);
    look->SetActive(false);
    EXPECT_EQ(DrawHandlerOf(form.Radio), &other);
    look->SetOverrideOwnerDraw(true);
    look->SetActive(true);
    EXPECT_EQ(DrawHandlerOf(form.Radio), look);
}

TEST_F(LookMenu, SeparatorHeightAndMinimumWidth) {
    EXPECT_EQ(form.Popup->actionGeometry(form.Separator).height(), 4);
    int width = 0, height = 40;
    look->MenuStyle()->MeasureMenuItem(form.Separator, false, width, height);
    EXPECT_EQ(height, 4);
    const QFontMetrics fm(look->Font().Font);
    width = 0;
    height = 0;
    look->MenuStyle()->MeasureMenuItem(form.Plain, false, width, height);
    EXPECT_EQ(width, look->IconWidth() + fm.horizontalAdvance(QStringLiteral("Plain")) + 5);
    EXPECT_EQ(height, fm.height() + static_cast<int>(std::lround(0.75 * fm.height())));
    EXPECT_GE(form.Popup->actionGeometry(form.Plain).width(), width);
    // '&' does not count; a shortcut adds its text and "WWW".
    width = 0;
    look->MenuStyle()->MeasureMenuItem(form.Open, false, width, height);
    EXPECT_EQ(width, look->IconWidth() + fm.horizontalAdvance(QStringLiteral("&Open")) -
                         fm.horizontalAdvance(QLatin1Char('&')) + 5);
    width = 0;
    look->MenuStyle()->MeasureMenuItem(form.Shortcut, false, width, height);
    EXPECT_EQ(width, look->IconWidth() + 5 +
                         fm.horizontalAdvance(QStringLiteral("Copy") +
                                              form.Shortcut->shortcut().toString(QKeySequence::NativeText) +
                                              QStringLiteral("WWW")));
}

TEST_F(LookMenu, BackgroundSelectionAndDisabledItems) {
    const TDerivedColors& d = look->Derived;
    EXPECT_EQ(At(form.Plain, 2, 3), ColorToRGB(d.IconBack));
    EXPECT_EQ(At(form.Plain, look->IconWidth() + 1, 1), ColorToRGB(d.MenuColor));
    form.Popup->setActiveAction(form.Plain);
    EXPECT_EQ(At(form.Plain, 2, 1), ColorToRGB(d.SelectBorder));
    EXPECT_EQ(At(form.Plain, 2, 3), ColorToRGB(d.Select));
    EXPECT_EQ(At(form.Plain, 0, 0), ColorToRGB(d.IconBack)); // the frame leaves the top row
    // A disabled selected item gets no fill.
    form.Popup->setActiveAction(form.Disabled);
    EXPECT_EQ(At(form.Disabled, 2, 3), ColorToRGB(d.IconBack));
}

TEST_F(LookMenu, CheckAndRadioMarks) {
    const TDerivedColors& d = look->Derived;
    const QRect a = form.Popup->actionGeometry(form.Checked);
    // The item rectangle reaches one pixel below the painted block.
    const int kl = (look->IconWidth() - 10) / 2, kt = (a.height() + 1 - 10) / 2;
    EXPECT_EQ(At(form.Checked, kl, kt), ColorToRGB(d.SelectBorder));
    EXPECT_EQ(At(form.Checked, kl + 1, kt + 1), ColorToRGB(d.SelectLight));
    EXPECT_EQ(At(form.Checked, kl + 2, kt + 5), clBlack);                  // the tick
    EXPECT_EQ(At(form.Radio, kl + 5, kt + 5), ColorToRGB(d.SelectBorder)); // the dot
    EXPECT_EQ(At(form.Plain, kl, kt), ColorToRGB(d.IconBack));             // no mark
    form.Checked->setEnabled(false);
    EXPECT_EQ(At(form.Checked, kl, kt), ColorToRGB(d.Disabled));
    EXPECT_EQ(At(form.Checked, kl + 2, kt + 5), ColorToRGB(d.Disabled));
}

TEST_F(LookMenu, ShortcutIsRightAlignedTenPixelsInFollowedByABlank) {
    const QRect a = form.Popup->actionGeometry(form.Shortcut);
    const QImage image = form.Popup->grab().toImage();
    int rightmost = -1;
    for (int x = a.left(); x <= a.right(); ++x)
        for (int y = a.top(); y <= a.bottom(); ++y)
            if (qGray(image.pixel(x, y)) < 100) rightmost = x;
    const QFontMetrics fm(look->Font().Font);
    const int limit = a.right() + 1 - 10 - fm.horizontalAdvance(QLatin1Char(' '));
    EXPECT_LE(rightmost, limit);
    EXPECT_GT(rightmost, limit - 6);
}

TEST_F(LookMenu, GradientOnlyAtSixteenBitsOrMore) {
    look->SetGradient(true);
    const QImage shallow(1, 1, QImage::Format_Indexed8), deep(1, 1, QImage::Format_RGB32);
    look->ComputeDerivedColors(&shallow);
    EXPECT_EQ(At(form.Plain, look->IconWidth() + 10, 1), ColorToRGB(look->Derived.MenuColor));
    EXPECT_EQ(At(form.Plain, 2, 1), ColorToRGB(look->Derived.IconBack));
    look->ComputeDerivedColors(&deep);
    // Strip k lightens IconBack by the step counter: 0 at k = 0, then 1 + 3 (k - 1) up to the
    // end of the icon column plus 5 (k = 29: 85), then 1 more per strip up to the cap of 96.
    ASSERT_EQ(look->IconWidth(), 24);
    const TColor back = look->Derived.IconBack;
    const QRect a = form.Popup->actionGeometry(form.Plain);
    ASSERT_GT(a.width(), 41);
    const int expected[][2] = {{0, 0},   {1, 1},   {2, 4},   {3, 7},  {28, 82},
                               {29, 85}, {30, 86}, {34, 90}, {40, 96}};
    for (const auto& [k, counter] : expected)
        EXPECT_EQ(At(form.Plain, k, 1), Lighten(back, counter)) << "strip " << k;
    EXPECT_EQ(At(form.Plain, a.width() - 1, 1), Lighten(back, 96));
}

// Flat popup frames, read from the shown popup as a grab and as its window shows on screen.
TEST_F(LookMenu, FlatPopupFrame) {
    const TDerivedColors& d = look->Derived;
    QMenu* popup = form.Popup;
    auto showPopup = [popup] {
        popup->popup(QPoint(40, 40));
        for (int i = 0; i < 10 && !TPopupFrameHook::HookOf(popup); ++i)
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    };
    look->RegisterWithManager();
    form.show();

    // Without FlatMenu no frame is requested.
    showPopup();
    EXPECT_FALSE(TPopupFrameHook::HookOf(popup));
    EXPECT_TRUE(popup->mask().isEmpty());
    popup->hide();

    look->SetFlatMenu(true);
    showPopup();
    ASSERT_TRUE(TPopupFrameHook::HookOf(popup));
    const int fw = popup->width(), fh = popup->height(), w = fw - 2, h = fh - 2;
    EXPECT_EQ(popup->mask(), QRegion(0, 0, w, h) + QRegion(2, 2, w, h));
    // The first item selected: row 3 shows the selection fill, so rows 1 and 2 must too.
    popup->setActiveAction(form.Plain);
    QCoreApplication::processEvents(); // the window repaints
    ASSERT_LE(popup->actionGeometry(form.Plain).top(), 1);
    const QImage grabbed = popup->grab().toImage();
    const QImage screen = popup->screen()->grabWindow(popup->winId()).toImage();
    for (const QImage& image : {grabbed, screen}) {
        auto at = [&image](int x, int y) { return FromQColor(QColor::fromRgb(image.pixel(x, y))); };
        ASSERT_EQ(image.size(), QSize(fw, fh));
        EXPECT_EQ(at(0, 0), ColorToRGB(d.MenuBorder));
        EXPECT_EQ(at(w - 1, 1), ColorToRGB(d.MenuBorder));
        EXPECT_EQ(at(w - 1, h / 2), ColorToRGB(d.MenuBorder));
        EXPECT_EQ(at(0, h / 2), ColorToRGB(d.MenuBorder));
        EXPECT_EQ(at(w / 2, h - 1), ColorToRGB(d.MenuBorder));
        EXPECT_EQ(at(1, h / 2), ColorToRGB(d.IconBack));
        EXPECT_EQ(at(2, h / 2), ColorToRGB(d.IconBack));
        EXPECT_EQ(at(2, h - 2), ColorToRGB(d.IconBack));
        for (int x = 1; x < w - 1; ++x) {
            ASSERT_EQ(at(x, 1), at(x, 3)) << x;
            ASSERT_EQ(at(x, 2), at(x, 3)) << x;
        }
        EXPECT_EQ(at(look->IconWidth() + 10, 1), ColorToRGB(d.Select));
        // The shadow strips, two pixels wide, right and bottom, from 2 pixels in.
        for (const QPoint& shade : {QPoint(fw - 1, 2), QPoint(fw - 2, fh / 2), QPoint(fw - 1, fh - 1),
                                    QPoint(2, fh - 1), QPoint(fw / 2, fh - 2)})
            EXPECT_EQ(at(shade.x(), shade.y()), ColorToRGB(d.MenuShadow)) << shade.x() << "," << shade.y();
    }

    // Hiding takes the hook and the region off.
    popup->hide();
    EXPECT_FALSE(TPopupFrameHook::HookOf(popup));
    EXPECT_TRUE(popup->mask().isEmpty());

    // Right-to-left: the icon-column line runs down the right edge instead.
    popup->setLayoutDirection(Qt::RightToLeft);
    showPopup();
    ASSERT_TRUE(TPopupFrameHook::HookOf(popup));
    const QImage mirrored = popup->grab().toImage();
    auto at = [&mirrored](int x, int y) { return FromQColor(QColor::fromRgb(mirrored.pixel(x, y))); };
    EXPECT_EQ(at(w - 3, 4), ColorToRGB(d.IconBack));
    EXPECT_EQ(at(w - 2, h - 2), ColorToRGB(d.IconBack));
    EXPECT_EQ(at(w - 1, h / 2), ColorToRGB(d.MenuBorder));
    EXPECT_NE(at(1, h / 2), ColorToRGB(d.IconBack));
    popup->hide();
}

// The popup's border: the style's own frame without FlatMenu, the flat outline with it. The
// items lie inside the border, so neither their fill nor a selection covers it.
TEST_F(LookMenu, PopupBorderWithAndWithoutFlatMenu) {
    // The style's frame colour, read from a menu the look does not decorate.
    QMenu bare;
    bare.addAction(QStringLiteral("Plain"));
    bare.adjustSize();
    const QImage bareImage = bare.grab().toImage();
    const QRgb frame = bareImage.pixel(0, bareImage.height() / 2);
    ASSERT_NE(frame, bareImage.pixel(bareImage.width() / 2, bareImage.height() / 2));

    auto ringOf = [](const QImage& image, QRgb colour) {
        const int w = image.width(), h = image.height();
        int wrong = 0;
        for (int x = 0; x < w; ++x)
            wrong += (image.pixel(x, 0) != colour) + (image.pixel(x, h - 1) != colour);
        for (int y = 0; y < h; ++y)
            wrong += (image.pixel(0, y) != colour) + (image.pixel(w - 1, y) != colour);
        return wrong;
    };
    const TDerivedColors& d = look->Derived;
    QMenu* popup = form.Popup;
    EXPECT_EQ(ringOf(popup->grab().toImage(), frame), 0);
    popup->setActiveAction(form.Plain);
    QImage image = popup->grab().toImage();
    EXPECT_EQ(ringOf(image, frame), 0);
    const int middle = popup->actionGeometry(form.Plain).center().y();
    EXPECT_EQ(FromQColor(QColor::fromRgb(image.pixel(1, middle))), ColorToRGB(d.SelectBorder));

    // With FlatMenu the outline is the flat border colour from the first paint on, before the
    // frame hook has been asked for.
    look->SetFlatMenu(true);
    image = popup->grab().toImage();
    EXPECT_FALSE(TPopupFrameHook::HookOf(popup));
    EXPECT_EQ(ringOf(image, ToQColor(d.MenuBorder).rgb()), 0);
    EXPECT_EQ(FromQColor(QColor::fromRgb(image.pixel(1, middle))), ColorToRGB(d.SelectBorder));

    // Undecorated, the menu is the style's again.
    look->SetActive(false);
    image = popup->grab().toImage();
    EXPECT_EQ(image.pixel(0, image.height() / 2), frame);
    EXPECT_NE(FromQColor(QColor::fromRgb(image.pixel(3, middle))), ColorToRGB(d.Select));
}

// Captions are painted whole: the ink of a caption inside its item is as wide as the caption
// drawn alone, and does not reach the item's last column.
TEST_F(LookMenu, CaptionsFitTheirItems) {
    const TDerivedColors& d = look->Derived;
    form.show();
    form.Bar->adjustSize();
    const QRect file = form.Bar->actionGeometry(form.File->menuAction());
    const QImage bar = form.Bar->grab().toImage();
    const auto [barFirst, barLast] = InkColumns(bar, file);
    ASSERT_GE(barFirst, 0);
    EXPECT_EQ(barLast - barFirst + 1, CaptionInkWidth(look, QStringLiteral("&File"), d.MenuBar));
    EXPECT_LT(barLast, file.width() - 1);

    // In a popup the widest caption sets the width of every item (no shortcuts here: their
    // column would add room).
    auto* popup = new QMenu(&form);
    popup->addAction(QStringLiteral("Short"));
    QAction* widest = popup->addAction(QStringLiteral("The widest caption WMW"));
    look->ApplyToComponent(popup, true, false);
    popup->adjustSize();
    const QRect item = popup->actionGeometry(widest);
    const auto [first, last] = InkColumns(popup->grab().toImage(), item);
    ASSERT_GE(first, 0);
    EXPECT_EQ(last - first + 1, CaptionInkWidth(look, widest->text(), d.MenuColor));
    EXPECT_LT(last, item.width() - 1);
}

// An item with a sub-menu shows an arrow at its outer edge in the caption's colour, pointing
// away from the caption; other items show none.
TEST_F(LookMenu, SubMenuItemsShowTheirArrow) {
    const TDerivedColors& d = look->Derived;
    QMenu* file = form.File;
    file->adjustSize();
    QAction* more = form.More->menuAction();
    auto arrowArea = [file](QAction* item) {
        const QRect a = file->actionGeometry(item);
        return file->layoutDirection() == Qt::RightToLeft
                   ? QRect(a.left(), a.top(), TLookMenuStyle::ArrowColumn, a.height())
                   : QRect(a.right() + 1 - TLookMenuStyle::ArrowColumn, a.top(), TLookMenuStyle::ArrowColumn,
                           a.height());
    };
    // Pixels of colour c per column of the arrow area, from its left.
    auto columns = [&](TColor c) {
        const QImage image = file->grab().toImage();
        const QRect r = arrowArea(more);
        QList<int> out;
        for (int x = r.left(); x <= r.right(); ++x)
            out.append(CountOf(image, QRect(x, r.top(), 1, r.height()), c));
        return out;
    };
    auto inkColumns = [](const QList<int>& counts) {
        QList<int> out;
        for (int n : counts)
            if (n > 0) out.append(n);
        return out;
    };

    EXPECT_EQ(CountOf(file->grab().toImage(), arrowArea(form.Open), look->Font().Color), 0);
    QList<int> ink = inkColumns(columns(look->Font().Color));
    ASSERT_GE(ink.size(), 3);
    EXPECT_GT(ink.first(), ink.last()); // widest at the base, pointing right

    file->setActiveAction(more);
    ink = inkColumns(columns(d.SelectFont));
    ASSERT_GE(ink.size(), 3);
    file->setActiveAction(nullptr);
    form.More->menuAction()->setEnabled(false);
    ink = inkColumns(columns(d.Disabled));
    ASSERT_GE(ink.size(), 3);
    form.More->menuAction()->setEnabled(true);

    file->setLayoutDirection(Qt::RightToLeft);
    file->adjustSize();
    ink = inkColumns(columns(look->Font().Color));
    ASSERT_GE(ink.size(), 3);
    EXPECT_LT(ink.first(), ink.last()); // pointing left
    // The caption keeps to the right, by the icon column, clear of the arrow.
    const QRect text =
        file->actionGeometry(more).adjusted(TLookMenuStyle::ArrowColumn, 0, -look->IconWidth(), 0);
    const auto [first, last] = InkColumns(file->grab().toImage(), text);
    EXPECT_GT(first, text.width() / 2);
    EXPECT_GT(last, text.width() - 12);
}

// With DrawMenuBar the derived MenuBar colour is MenuBarColor, also in system-colour mode,
// and follows it: the bar and the shadow of its selection are drawn in it.
TEST_F(LookMenu, DrawMenuBarMakesTheMenuBarColourFollowMenuBarColor) {
    ASSERT_TRUE(look->UseSystemColors());
    QAction* item = form.File->menuAction();
    const QRect a = form.Bar->actionGeometry(item);
    auto paint = [&](bool selected) {
        QImage image(a.right() + 1, a.bottom() + 1, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        look->MenuStyle()->DrawMenuItemHandler(item, &p, form.Bar,
                                               {a.left(), a.top(), a.right() + 1, a.bottom() + 1}, selected);
        return image;
    };
    auto at = [](const QImage& image, int x, int y) {
        return FromQColor(QColor::fromRgb(image.pixel(x, y)));
    };

    look->SetMenuBarColor(RGBColor(40, 120, 200));
    paint(false);
    EXPECT_EQ(ColorToRGB(look->Derived.MenuBar), ColorToRGB(clBtnFace)); // not without DrawMenuBar

    look->SetDrawMenuBar(true);
    for (const TColor colour : {RGBColor(40, 120, 200), RGBColor(200, 60, 30)}) {
        look->SetMenuBarColor(colour);
        const QImage rest = paint(false);
        EXPECT_EQ(look->Derived.MenuBar, colour);
        EXPECT_EQ(at(rest, a.left() + 1, a.bottom()), colour);
        // The selection's shadow band: its outer columns are the bar colour darkened by 10.
        const QImage selected = paint(true);
        EXPECT_EQ(at(selected, a.right(), a.bottom()), Darken(colour, 10));
    }
}

// An enabled menu-bar item under the mouse is drawn hot: filled and outlined, short of the
// shadow band; a disabled one is not.
TEST_F(LookMenu, BarItemUnderTheMouseIsHot) {
    form.show();
    form.Bar->adjustSize();
    QAction* item = form.File->menuAction();
    const QRect a = form.Bar->actionGeometry(item);
    const TDerivedColors& d = look->Derived;
    auto at = [&](int dx, int dy) { return PixelAt(form.Bar, a.left() + dx, a.top() + dy); };
    EXPECT_EQ(at(0, 0), ColorToRGB(d.MenuBar));
    QCursor::setPos(form.Bar->mapToGlobal(a.center()));
    EXPECT_EQ(at(0, 0), ColorToRGB(d.SelectBorder));
    EXPECT_EQ(at(2, 2), ColorToRGB(d.Select));
    EXPECT_EQ(at(a.width() - TLookMenuStyle::BarShadowBand - 1, 2), ColorToRGB(d.SelectBorder));
    EXPECT_EQ(at(a.width() - 2, 2), ColorToRGB(d.MenuBar));
    item->setEnabled(false);
    EXPECT_EQ(at(2, 2), ColorToRGB(d.MenuBar));
}
