#include "TPopupFrameHook.h"

#include "LookColors.h"
#include "TLookStyler.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QPainter>
#include <QRegion>
#include <QVariant>

TPopupFrameHook::TPopupFrameHook(QWidget* popup, TLookStyler* look, bool rightToLeft)
    : QObject(popup), Look(look), RightToLeft(rightToLeft), popup_(popup) {
    popup->setProperty("LookPopupFrame", QVariant::fromValue<QObject*>(this));
    popup->installEventFilter(this);
}

TPopupFrameHook* TPopupFrameHook::HookOf(const QWidget* popup) {
    return popup ? qobject_cast<TPopupFrameHook*>(popup->property("LookPopupFrame").value<QObject*>()) : nullptr;
}

bool TPopupFrameHook::eventFilter(QObject* watched, QEvent* event) {
    if (watched != popup_)
        return false;
    return PopupFrameProc(event);
}

void TPopupFrameHook::Remove() {
    QWidget* popup = popup_;
    if (!popup)
        return;
    popup->clearMask();
    popup->removeEventFilter(this);
    popup->setProperty("LookPopupFrame", QVariant());
    // A neighbouring popup (a parent menu beside this one) that has a frame repaints.
    const QRect g = popup->frameGeometry();
    QWidget* next = QApplication::topLevelAt(QPoint(g.right() + 2, g.top() + 2));
    if (!next || !HookOf(next))
        next = QApplication::topLevelAt(QPoint(g.right() + 2, g.bottom() - 2));
    if (next && next != popup && HookOf(next))
        next->update();
    deleteLater();
}

bool TPopupFrameHook::PopupFrameProc(QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint: {
        static_cast<QObject*>(popup_.data())->event(event);
        PaintFrame();
        return true;
    }
    case QEvent::Hide:
    case QEvent::Close:
        static_cast<QObject*>(popup_.data())->event(event);
        Remove();
        return true;
    default:
        return false;
    }
}

void TPopupFrameHook::PaintFrame() {
    TLookStyler* look = Look;
    QWidget* popup = popup_;
    if (!look || !popup || look->PaintingPopupFrame)
        return;
    look->PaintingPopupFrame = true;
    const TDerivedColors& d = look->Derived;
    int w = popup->width(), h = popup->height();
    if (!look->IsNT51) {
        w -= 2;
        h -= 2;
    }
    QPainter p(popup);
    auto outline = [&p](int l, int t, int r, int b, TColor c) {
        p.setPen(ToQColor(c));
        p.setBrush(Qt::NoBrush);
        p.drawRect(l, t, r - l - 1, b - t - 1);
    };
    outline(0, 0, w, h, d.MenuBorder);
    if (RightToLeft) {
        p.setPen(ToQColor(d.IconBack));
        p.drawLine(w - 3, 2, w - 2, h - 2);
    } else {
        outline(1, 2, 3, h - 1, d.IconBack);
    }
    // Rows 1 and 2 take the item background that row 3 shows: the menu colour with the icon
    // column (the item painter covers the popup's 4-pixel margin from x = 0).
    auto itemRows = [&](int y) {
        p.fillRect(QRect(1, y, w - 2, 1), ToQColor(d.MenuColor));
        const int column = look->IconWidth() + 4;
        if (RightToLeft)
            p.fillRect(QRect(w - 1 - column, y, column, 1), ToQColor(d.IconBack));
        else
            p.fillRect(QRect(1, y, column - 1, 1), ToQColor(d.IconBack));
    };
    itemRows(1);
    itemRows(2);
    if (look->IsNT51) {
        itemRows(h - 3);
        itemRows(h - 2);
        outline(w - 3, 1, w - 1, h - 1, d.MenuColor);
    } else {
        w += 2;
        h += 2;
        p.fillRect(QRect(2, h - 2, w - 2, 2), ToQColor(d.MenuShadow));
        p.fillRect(QRect(w - 2, 2, 2, h - 2), ToQColor(d.MenuShadow));
    }
    look->PaintingPopupFrame = false;
}

void PaintPopupFrame(TLookStyler* look, QWidget* popup, bool rightToLeft) {
    if (!look || !popup || look->PaintingPopupFrame)
        return;
    TPopupFrameHook* hook = TPopupFrameHook::HookOf(popup);
    if (!hook)
        hook = new TPopupFrameHook(popup, look, rightToLeft);
    hook->Look = look;
    hook->RightToLeft = rightToLeft;
    if (!look->IsNT51) {
        const int w = popup->width(), h = popup->height();
        const QRect box = popup->mask().boundingRect();
        if (popup->mask().isEmpty() || std::abs(box.width() - w) > 5 || std::abs(box.height() - h) > 5)
            popup->setMask(QRegion(0, 0, w - 2, h - 2) + QRegion(2, 2, w - 2, h - 2));
    }
    popup->update();
}
