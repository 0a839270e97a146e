#include "TControlSubClass.h"

#include "LookColors.h"
#include "TLookStyler.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

// The window messages that the painters react to, by their window-system names, and the Qt
// events that stand for them. Every event reaches InterceptMessage after the control's own
// event() has handled it.
//
//   WM_DESTROY                 the control's QObject::destroyed signal (the record frees itself)
//   WM_SETFOCUS / WM_KILLFOCUS QEvent::FocusIn / QEvent::FocusOut (FocusOut is also the exit)
//   WM_PAINT                   QEvent::Paint (the decoration is painted inside it)
//   WM_WINDOWPOSCHANGED        QEvent::Move, QEvent::Resize
//   EM_GETMODIFY               none: Qt has no modified query message
//   BM_GETCHECK / BM_SETCHECK  CheckStateEvent(), sent on QCheckBox::stateChanged
//   BM_SETSTATE                ButtonStateEvent(), sent on QAbstractButton::pressed/released
//   WM_KEYDOWN / WM_KEYUP      QEvent::KeyPress / KeyRelease with Qt::Key_Space (a release
//                              that is part of auto-repeat is not a key-up)
//   WM_MOUSEMOVE               QEvent::MouseMove
//   WM_LBUTTONDOWN / UP        QEvent::MouseButtonPress / MouseButtonRelease, left button
//   WM_LBUTTONDBLCLK           QEvent::MouseButtonDblClick, left button; Qt's own handling
//                              already presses the button, so the record treats it as a press
//                              instead of resending one (which would press twice)
//   focus moved within form    FocusChangedEvent(), sent on QApplication::focusChanged
//   parent colour changed      QEvent::PaletteChange (the parent's palette propagates)
//   enabled state changed      QEvent::EnabledChange
//   3-D edge changed           QEvent::StyleChange, QEvent::ContentsRectChange (frame changes)
//   caption text changed       none: Qt repaints the control itself, and every paint decorates
//   mouse entered / left       QEvent::Enter / QEvent::Leave
//   invalidate request         InvalidateEvent(), sent by the look before it requests a repaint
//   reflected notification     none in Qt

namespace {

int RegisterOnce(int& slot) {
    if (slot == 0) slot = QEvent::registerEventType();
    return slot;
}

int invalidateType = 0, checkStateType = 0, buttonStateType = 0, focusChangedType = 0;

} // namespace

int TControlSubClass::InvalidateEvent() {
    return RegisterOnce(invalidateType);
}
int TControlSubClass::CheckStateEvent() {
    return RegisterOnce(checkStateType);
}
int TControlSubClass::ButtonStateEvent() {
    return RegisterOnce(buttonStateType);
}
int TControlSubClass::FocusChangedEvent() {
    return RegisterOnce(focusChangedType);
}

TControlSubClass::TControlSubClass(TLookStyler* owner) : QObject(owner), Look(owner) {}

TControlSubClass::~TControlSubClass() {
    if (Installed()) Restore();
}

TControlSubClass* TControlSubClass::HandlerOf(const QWidget* control) {
    if (!control) return nullptr;
    return qobject_cast<TControlSubClass*>(control->property("LookHandler").value<QObject*>());
}

bool TControlSubClass::Installed() const {
    return installed_ && Control && HandlerOf(Control) == this;
}

void TControlSubClass::Install(QWidget* control) {
    Control = control;
    SavedHandler = control->property("LookHandler").value<QObject*>();
    control->installEventFilter(this);
    control->setProperty("LookHandler", QVariant::fromValue<QObject*>(this));
    installed_ = true;
    connect(control, &QObject::destroyed, this, [this] {
        // The control is going: nothing of it may be touched any more.
        installed_ = false;
        delete this;
    });
    if (auto* box = qobject_cast<QCheckBox*>(control))
        connect(box, &QCheckBox::stateChanged, this, [this] { Forward(CheckStateEvent()); });
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        connect(button, &QAbstractButton::pressed, this, [this] { Forward(ButtonStateEvent()); });
        connect(button, &QAbstractButton::released, this, [this] { Forward(ButtonStateEvent()); });
    }
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* from, QWidget* to) {
        if (Control &&
            ((from && from->window() == Control->window()) || (to && to->window() == Control->window())))
            Forward(FocusChangedEvent());
    });
}

void TControlSubClass::Forward(int eventType) {
    if (!Installed()) return;
    QEvent e(static_cast<QEvent::Type>(eventType));
    QCoreApplication::sendEvent(Control, &e);
}

void TControlSubClass::RestoreHandler() {
    if (!Control) return;
    Control->removeEventFilter(this);
    if (HandlerOf(Control) == this)
        Control->setProperty("LookHandler", QVariant::fromValue<QObject*>(SavedHandler.data()));
    installed_ = false;
    disconnect(Control, nullptr, this, nullptr);
    disconnect(qApp, nullptr, this, nullptr);
}

void TControlSubClass::Restore() {
    QWidget* control = Control;
    RestoreHandler();
    if (control && IsEditKind(control)) {
        SetCtl3D(control, SavedCtl3D);
        SetBorderStyle(control, SavedBorderStyle);
        SetCtl3D(control, SavedCtl3D);
    }
}

bool TControlSubClass::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Control || !installed_) return false;
    InterceptMessage(event); // may free this record
    return true;
}

void TControlSubClass::Detach() {
    try {
        QWidget* control = Control;
        RestoreHandler();
        if (control && IsEditKind(control)) SetCtl3D(control, SavedCtl3D);
    } catch (...) {
        // The control keeps whatever was restored before the error.
    }
    Control = nullptr;
    delete this;
}

void TControlSubClass::InterceptMessage(QEvent* event) {
    QPointer<TControlSubClass> self(this);
    QPointer<QWidget> control(Control);
    // The saved handler: the control's own event processing (QObject::event is public).
    static_cast<QObject*>(control.data())->event(event);
    if (!self || !control) return;
    if (Look && !Look->Active()) {
        Detach();
        return;
    }
    const int type = event->type();
    LastMessage = type;
    const bool enabled = control->isEnabled();
    switch (type) {
    case QEvent::FocusIn:
        Hot = true;
        RepaintDecoration();
        break;
    case QEvent::FocusOut:
        Hot = false;
        RepaintDecoration();
        break;
    case QEvent::Paint:
        RebuildPending = false;
        inPaint_ = true;
        RepaintDecoration();
        inPaint_ = false;
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::StyleChange:
    case QEvent::ContentsRectChange:
        RebuildPending = true;
        break;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
            SpaceDown = true;
            if (!SpaceRepainted) RepaintDecoration();
            SpaceRepainted = true;
        }
        break;
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space && !key->isAutoRepeat()) {
            SpaceDown = false;
            SpaceRepainted = false;
            RepaintDecoration();
        }
        break;
    }
    case QEvent::MouseMove:
        if (enabled && TypeName(control) == "TUpDown") RepaintDecoration();
        break;
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            MouseDown = true;
            RepaintDecoration();
        }
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            MouseDown = false;
            RepaintDecoration();
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
            (IsPushButton(control) || IsCheckBox(control))) {
            MouseDown = true;
            RepaintDecoration();
        }
        break;
    case QEvent::PaletteChange:
        RepaintDecoration();
        break;
    case QEvent::EnabledChange:
        Hot = false;
        RepaintDecoration();
        break;
    case QEvent::Enter:
        if (enabled) {
            Hot = true;
            RepaintDecoration();
        }
        break;
    case QEvent::Leave:
        if (enabled) {
            Hot = false;
            RepaintDecoration();
        }
        break;
    default:
        if (type == CheckStateEvent()) {
            Hot = false;
            RepaintDecoration();
        } else if (type == ButtonStateEvent() || type == FocusChangedEvent()) {
            RepaintDecoration();
        } else if (type == InvalidateEvent()) {
            RebuildPending = true;
        }
        break;
    }
}

void TControlSubClass::RepaintDecoration() {
    if (!Control || !Look) return;
    if (!inPaint_) {
        // Painting happens only inside the control's paint event; ask for one.
        ++RepaintRequests;
        Control->update();
        return;
    }
    Focused = Control->hasFocus();
    QWidget* control = Control;
    try {
        if (TLookStyler::PaintProbe) TLookStyler::PaintProbe();
        TLookCanvas canvas(control->width(), control->height());
        if (IsEditKind(control)) PaintEdit(canvas);
        if (IsCheckBox(control)) PaintCheckBox(canvas);
        if (IsPushButton(control)) PaintButton(canvas);
        if (IsPanel(control)) PaintPanel(canvas);
        QPainter painter(control);
        canvas.CopyTo(painter, 0, 0);
    } catch (...) {
        // A failing painter leaves the control as it drew itself.
    }
}

namespace {

TColor BackgroundOf(const QWidget* widget) {
    return FromQColor(widget->palette().color(widget->backgroundRole()));
}

} // namespace

TColor TControlSubClass::ControlColor() const {
    return BackgroundOf(Control);
}

TColor TControlSubClass::ParentBackground() const {
    const QWidget* parent = Control->parentWidget();
    return BackgroundOf(parent ? parent : Control.data());
}

void TControlSubClass::PaintEdit(TLookCanvas& canvas) {
    QWidget* control = Control;
    if (GetCtl3D(control)) {
        RebuildPending = true;
        SetCtl3D(control, false);
    }
    const TDerivedColors& d = Look->Derived;
    TColor frame = (Hot || Focused) ? Lighten(d.SelectBorder, 60) : Darken(ParentBackground(), 60);
    if (SavedBorderStyle == bsNone)
        frame =
            (Hot && !Focused) ? Lighten(MeanColor(ControlColor(), ParentBackground()), 40) : ControlColor();
    canvas.SetPen(frame);
    canvas.SetBrushClear();
    canvas.Rectangle({0, 0, control->width(), control->height()});
}

void TControlSubClass::PaintCheckBox(TLookCanvas& canvas) {
    auto* box = static_cast<QCheckBox*>(Control.data());
    const TDerivedColors& d = Look->Derived;
    const bool grayed = box->checkState() == Qt::PartiallyChecked;
    TColor b = clWindow, p = clBtnShadow;
    if (Hot || Focused) {
        b = d.Select;
        p = d.SelectBorder;
    }
    if (SpaceDown || MouseDown) b = d.SelectPressed;
    if (grayed) b = clSilver;

    TRect r{0, 3, box->width(), box->height() - 3};
    const int t = box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box);
    r.Top = r.Top + (r.Bottom - r.Top - t) / 2;
    r.Bottom = r.Top + t;
    // Qt puts a check box's text after the box in reading order: left of it only right to left.
    if (box->layoutDirection() == Qt::LeftToRight)
        r.Right = r.Left + t - 1;
    else
        r.Left = r.Right - t + 1;

    canvas.SetBrush(ControlColor());
    canvas.FillRect(r);
    // The box covers the window system's glyph, which is narrower than a thumb; a style's own
    // indicator can be wider (Fusion: one column more), so its columns are cleared as well.
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect own = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    canvas.FillRect({own.left(), 0, own.right() + 1, box->height()});
    r = r.Inflated(-2, -2);
    canvas.SetBrush(b);
    canvas.SetPen(p);
    canvas.Rectangle(r);

    if (box->isChecked() || grayed) {
        TColor pen;
        if (box->isEnabled())
            pen = (SpaceDown || MouseDown) ? clWindow : grayed ? clGray : clHighlight;
        else
            pen = d.Disabled;
        canvas.SetPen(pen);
        const int x = r.Left, y = r.Bottom;
        for (int i = 0; i < 3; ++i) {
            canvas.MoveTo(x + 2, y - i - 5);
            canvas.LineTo(x + 4, y - i - 3);
            canvas.LineTo(x + 9, y - i - 8);
        }
    }
}

void TControlSubClass::PaintButton(TLookCanvas& canvas) {
    auto* button = static_cast<QPushButton*>(Control.data());
    const TDerivedColors& d = Look->Derived;
    const int w = button->width(), h = button->height();
    const TRect r{0, 0, w, h};
    const bool tag1000 = LookTag(button) == 1000;
    TColor face, edge;
    if (Hot) {
        face = Lighten(tag1000 ? ParentBackground() : clBtnFace, Look->ButtonHotLighten);
        edge = Lighten(d.SelectBorder, 60);
    } else {
        face = tag1000 ? Lighten(ParentBackground(), Look->ButtonFaceLighten) : d.IconBack;
        edge = Focused ? Lighten(d.SelectBorder, 60) : clBtnShadow;
    }
    canvas.SetBrush(ParentBackground());
    canvas.FillRect(r);
    canvas.SetBrush(face);
    canvas.SetPen(Lighten(edge, 30));
    canvas.RoundRect(r, 4, 4);
    if (button->isEnabled()) {
        canvas.SetPen(Darken(edge, 50));
        if (SpaceDown || (MouseDown && Hot)) {
            const int pts[4][2] = {
                {r.Left, r.Bottom - 2}, {r.Left, r.Top + 1}, {r.Left + 1, r.Top}, {r.Right - 1, r.Top}};
            canvas.Polyline(pts, 4);
        } else {
            const int pts[4][2] = {{r.Right - 1, r.Top + 1},
                                   {r.Right - 1, r.Bottom - 2},
                                   {r.Right - 2, r.Bottom - 1},
                                   {r.Left, r.Bottom - 1}};
            canvas.Polyline(pts, 4);
        }
    }
    const bool rtl = button->layoutDirection() == Qt::RightToLeft;
    unsigned flags = DT_CENTER | DT_VCENTER | (rtl ? DT_RTLREADING : 0u);
    TLookFont font{button->font(), FromQColor(button->palette().color(QPalette::ButtonText))};
    canvas.SetFont(font.Font, font.Color);
    int tw = 0, th = 0;
    const QString caption = button->text();
    if (!caption.isEmpty()) {
        TRect m{0, 0, 0, 0};
        canvas.DrawText(caption, m, DT_CALCRECT | (rtl ? DT_RTLREADING : 0u));
        tw = m.Width();
        th = m.Height();
    }
    TRect tr;
    tr.Left = (w - tw) / 2;
    tr.Right = tr.Left + tw;
    tr.Top = (h - th) / 2;
    tr.Bottom = tr.Top + th;
    Look->DrawItemText(button, caption, QString(), canvas, tr, false, button->isEnabled(),
                       button->isDefault(), false, rtl, font, flags);
}

void TControlSubClass::PaintPanel(TLookCanvas& canvas) {
    if (LastMessage != QEvent::Paint) return;
    QWidget* panel = Control;
    const TPanelBevels bevels = ReadPanelBevels(panel);
    TRect r{0, 0, panel->width(), panel->height()};
    const TColor color = ControlColor();
    const TColor dark = Darken(color, 60), light = Lighten(color, 60);
    if (bevels.Outer == bvLowered)
        BevelFrame(canvas, r, dark, light, bevels.BevelWidth);
    else if (bevels.Outer == bvRaised || bevels.Outer == bvSpace)
        BevelFrame(canvas, r, light, dark, bevels.BevelWidth);
    if (bevels.Inner != bvNone) {
        r = r.Inflated(-bevels.BorderWidth, -bevels.BorderWidth);
        if (bevels.Inner == bvLowered)
            BevelFrame(canvas, r, dark, light, bevels.BevelWidth);
        else
            BevelFrame(canvas, r, light, dark, bevels.BevelWidth);
    }
}
