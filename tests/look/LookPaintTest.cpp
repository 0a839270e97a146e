#include "LookTestSupport.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

void Send(QWidget* w, QEvent::Type type) {
    if (type == QEvent::Enter) {
        QEnterEvent e(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(w, &e);
    } else {
        QEvent e(type);
        QApplication::sendEvent(w, &e);
    }
}

void Mouse(QWidget* w, QEvent::Type type) {
    QMouseEvent e(type, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void Key(QWidget* w, QEvent::Type type, bool autoRepeat) {
    QKeyEvent e(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), autoRepeat);
    QApplication::sendEvent(w, &e);
}

bool Contains(QWidget* w, TColor c) {
    const QImage image = w->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (FromQColor(QColor::fromRgb(image.pixel(x, y))) == c) return true;
    return false;
}

class LookPaint : public ::testing::Test {
  protected:
    void SetUp() override {
        look = new TLookStyler(&form);
        look->SetActive(true);
        parentBack = FromQColor(form.Panel1->palette().color(QPalette::Window));
    }
    TestMainForm form;
    TLookStyler* look = nullptr;
    TColor parentBack = 0;
};

} // namespace

TEST_F(LookPaint, EditFrameAtRestHotAndFocused) {
    QLineEdit* edit = form.ebxBidLink;
    EXPECT_EQ(PixelAt(edit, 0, 0), Darken(parentBack, 60));
    EXPECT_EQ(PixelAt(edit, edit->width() - 1, 10), Darken(parentBack, 60));
    EXPECT_FALSE(edit->hasFrame()); // the sunken edge went at the first paint
    Send(edit, QEvent::Enter);
    EXPECT_EQ(PixelAt(edit, 0, 0), Lighten(clHighlight, 60));
    Send(edit, QEvent::Leave);
    EXPECT_EQ(PixelAt(edit, 0, 0), Darken(parentBack, 60));

    form.show();
    form.activateWindow();
    QApplication::setActiveWindow(&form);
    edit->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(PixelAt(edit, 0, 0), Lighten(clHighlight, 60));

    // A disabled edit does not get hot.
    QLineEdit* other = form.ebxMMYY;
    other->setEnabled(false);
    Send(other, QEvent::Enter);
    EXPECT_FALSE(RecordOf(other)->Hot);
    EXPECT_EQ(PixelAt(other, 0, 0), Darken(parentBack, 60));
}

TEST_F(LookPaint, EditWithoutBorderUsesItsOwnColour) {
    QWidget f;
    auto* edit = new QLineEdit(&f);
    edit->setFrame(false);
    edit->resize(80, 20);
    TLookStyler own(&f);
    own.SetActive(true);
    ASSERT_TRUE(RecordOf(edit));
    EXPECT_EQ(PixelAt(edit, 0, 0), clWhite);
    Send(edit, QEvent::Enter);
    const TColor back = FromQColor(f.palette().color(QPalette::Window));
    EXPECT_EQ(PixelAt(edit, 0, 0), Lighten(MeanColor(clWhite, back), 40));
}

TEST_F(LookPaint, CheckBoxBoxFillAndTick) {
    QCheckBox* box = form.cbxODBCError;
    box->setTristate(true);
    const int t = box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box);
    const int top = 3 + (box->height() - 6 - t) / 2;
    const TRect r{2, top + 2, t - 1 - 2, top + t - 2};
    const int x = r.Left, y = r.Bottom;
    auto fill = [&] { return PixelAt(box, r.Left + 1, r.Top + 1); };
    auto tick = [&] { return PixelAt(box, x + 2, y - 5); };

    EXPECT_EQ(PixelAt(box, r.Left, r.Top), ColorToRGB(clBtnShadow));
    EXPECT_EQ(fill(), clWhite);
    // Nothing of the style's own indicator shows beside the flat box.
    {
        QStyleOptionButton option;
        option.initFrom(box);
        const QRect own = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        const QImage image = box->grab().toImage();
        const QRgb back = image.pixel(r.Right + 2, 0);
        for (int y = 0; y < box->height(); ++y)
            for (int x = r.Right + 2; x <= own.right(); ++x)
                ASSERT_EQ(image.pixel(x, y), back) << x << "," << y;
    }
    EXPECT_EQ(tick(), clWhite); // unchecked: no tick

    box->setCheckState(Qt::Checked);
    EXPECT_EQ(tick(), ColorToRGB(clHighlight));
    EXPECT_FALSE(RecordOf(box)->Hot);

    Send(box, QEvent::Enter);
    EXPECT_EQ(fill(), look->Derived.Select);
    EXPECT_EQ(PixelAt(box, r.Left, r.Top), ColorToRGB(clHighlight));
    Mouse(box, QEvent::MouseButtonPress);
    EXPECT_EQ(fill(), look->Derived.SelectPressed);
    EXPECT_EQ(tick(), clWhite); // COLOR_WINDOW while pressed
    Mouse(box, QEvent::MouseButtonRelease);
    Send(box, QEvent::Leave);

    box->setCheckState(Qt::PartiallyChecked);
    EXPECT_EQ(fill(), clSilver);
    EXPECT_EQ(tick(), clGray);

    box->setCheckState(Qt::Checked);
    box->setEnabled(false);
    EXPECT_EQ(tick(), ColorToRGB(look->Derived.Disabled));
}

TEST_F(LookPaint, ButtonFaceCornersAndShadowSide) {
    QPushButton* button = form.btnGrabit;
    const int w = button->width();
    const TColor edge = clBtnShadow;
    EXPECT_EQ(PixelAt(button, 0, 0), parentBack);        // corner outside the face
    EXPECT_EQ(PixelAt(button, 1, 1), Lighten(edge, 30)); // rounded corner
    EXPECT_EQ(PixelAt(button, 3, 3), ColorToRGB(look->Derived.IconBack));
    EXPECT_EQ(PixelAt(button, w - 1, 3), Darken(edge, 50)); // raised: shadow right
    EXPECT_EQ(PixelAt(button, 0, 3), Lighten(edge, 30));
    EXPECT_TRUE(Contains(button, clBlack)); // caption

    Key(button, QEvent::KeyPress, false);
    EXPECT_EQ(PixelAt(button, 0, 3), Darken(edge, 50)); // pressed: shadow left
    EXPECT_EQ(PixelAt(button, w - 1, 3), Lighten(edge, 30));
    Key(button, QEvent::KeyRelease, false);

    button->setEnabled(false);
    EXPECT_EQ(PixelAt(button, w - 1, 3), Lighten(edge, 30)); // no shadow line
    EXPECT_TRUE(Contains(button, ColorToRGB(look->Derived.Disabled)));
    EXPECT_FALSE(Contains(button, clBlack));
}

TEST_F(LookPaint, ButtonWithTagThousandTakesItsFaceFromTheParent) {
    QPushButton* button = form.Button2;
    SetLookTag(button, 1000);
    EXPECT_EQ(PixelAt(button, 3, 3), Lighten(parentBack, 16));
    Send(button, QEvent::Enter);
    EXPECT_EQ(PixelAt(button, 3, 3), Lighten(parentBack, 40));
    SetLookTag(button, 0);
    EXPECT_EQ(PixelAt(button, 3, 3), Lighten(clBtnFace, 40));
    // With an empty caption the face and shadow are still drawn.
    button->setText(QString());
    Send(button, QEvent::Leave);
    EXPECT_EQ(PixelAt(button, button->width() - 1, 10), Darken(clBtnShadow, 50));
}

TEST_F(LookPaint, SpaceKeyRepeatRepaintsOnce) {
    // The button's own pressed and released notices repaint as well; key repeat adds nothing.
    TControlSubClass* record = RecordOf(form.Button2);
    const int before = record->RepaintRequests;
    Key(form.Button2, QEvent::KeyPress, false);
    const int afterPress = record->RepaintRequests;
    EXPECT_GT(afterPress, before);
    EXPECT_TRUE(record->SpaceRepainted);
    for (int i = 0; i < 3; ++i) {
        Key(form.Button2, QEvent::KeyRelease, true);
        Key(form.Button2, QEvent::KeyPress, true);
    }
    EXPECT_TRUE(record->SpaceDown);
    EXPECT_EQ(record->RepaintRequests, afterPress);
    Key(form.Button2, QEvent::KeyRelease, false);
    EXPECT_FALSE(record->SpaceDown);
    EXPECT_FALSE(record->SpaceRepainted);
    EXPECT_GT(record->RepaintRequests, afterPress);
}

TEST(LookPanel, BevelsWithBevelFrame) {
    QWidget f;
    f.resize(100, 60);
    auto* panel = new QFrame(&f);
    panel->setGeometry(0, 0, 40, 30);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setProperty("BevelInner", 1);
    panel->setProperty("BorderWidth", 3);
    auto* bare = new QFrame(&f);
    bare->setGeometry(50, 0, 40, 30);
    bare->setFrameShape(QFrame::NoFrame);
    const QImage bareBefore = bare->grab().toImage();
    TLookStyler look(&f);
    look.SetActive(true);
    ASSERT_TRUE(RecordOf(panel));
    const TColor color = FromQColor(panel->palette().color(QPalette::Window));
    const TColor light = Lighten(color, 60), dark = Darken(color, 60);
    EXPECT_EQ(PixelAt(panel, 0, 10), light);
    EXPECT_EQ(PixelAt(panel, 1, 10), light);
    EXPECT_EQ(PixelAt(panel, 39, 10), dark);
    EXPECT_EQ(PixelAt(panel, 10, 29), dark);
    EXPECT_EQ(PixelAt(panel, 5, 10), dark); // inner ring, lowered: dark on top and left
    EXPECT_EQ(PixelAt(panel, 34, 10), light);
    EXPECT_EQ(bare->grab().toImage(), bareBefore); // both bevels none: left as drawn

    TLookCanvas canvas(10, 10);
    TRect r{0, 0, 10, 10};
    BevelFrame(canvas, r, clWhite, clBlack, 2);
    EXPECT_EQ(r, (TRect{2, 2, 8, 8}));
    EXPECT_EQ(canvas.Pixel(0, 0), clWhite);
    EXPECT_EQ(canvas.Pixel(9, 0), clBlack);
    EXPECT_EQ(canvas.Pixel(0, 9), clBlack);
    EXPECT_EQ(canvas.Pixel(1, 1), clWhite);
    EXPECT_FALSE(canvas.PixelIsSet(2, 2));
}
