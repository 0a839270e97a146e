#include "TPopupFrameHook.h"

#include "LookColors.h"
#include "TLookCanvas.h"
#include "TLookStyler.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QPaintEngine>
#include <QPainter>
#include <QRegion>
#include <QVariant>

TPopupFrameHook::TPopupFrameHook(QWidget* popup, TLookStyler* look, bool rightToLeft)
    : QObject(popup), Look(look), RightToLeft(rightToLeft), popup_(popup) {
    popup->setProperty("LookPopupFrame", QVariant::fromValue<QObject*>(this));
    popup->installEventFilter(this);
}

TPopupFrameHook* TPopupFrameHook::HookOf(const QWidget* popup) {
    return popup ? qobject_cast<TPopupFrameHook*>(popup->property("LookPopupFrame").value<QObject*>())
                 : nullptr;
}

bool TPopupFrameHook::eventFilter(QObject* watched, QEvent* event) {
    if (watched != popup_) return false;
    return PopupFrameProc(event);
}

void TPopupFrameHook::Remove() {
    QWidget* popup = popup_;
    if (!popup) return;
    popup->clearMask();
    popup->removeEventFilter(this);
    popup->setProperty("LookPopupFrame", QVariant());
    // A neighbouring popup (a parent menu beside this one) that has a frame repaints; right is
    // the first column past the window, as the window system counts it.
    const QRect g = popup->frameGeometry();
    const int right = g.x() + g.width();
    QWidget* next = QApplication::topLevelAt(QPoint(right + 2, g.top() + 2));
    if (!next || !HookOf(next)) next = QApplication::topLevelAt(QPoint(right + 2, g.y() + g.height() - 2));
    if (next && next != popup && HookOf(next)) next->update();
    deleteLater();
}

bool TPopupFrameHook::PopupFrameProc(QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint:
        static_cast<QObject*>(popup_.data())->event(event);
        PaintFrame();
        return true;
    case QEvent::Hide:
    case QEvent::Close:
        static_cast<QObject*>(popup_.data())->event(event);
        Remove();
        return true;
    default:
        return false;
    }
}

namespace {

// The pixels of r (widget coordinates) as they are now on the surface the painter draws on;
// null when that surface cannot be read (not a raster image).
QImage ReadBack(QPainter& p, const QRect& r) {
    QPaintEngine* engine = p.paintEngine();
    QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image) return QImage();
    const auto* surface = static_cast<const QImage*>(device);
    const QRect onSurface = p.deviceTransform().mapRect(r).intersected(surface->rect());
    return onSurface.isEmpty() ? QImage() : surface->copy(onSurface);
}

} // namespace

void TPopupFrameHook::PaintFrame() {
    TLookStyler* look = Look;
    QWidget* popup = popup_;
    if (!look || !popup || look->PaintingPopupFrame) return;
    look->PaintingPopupFrame = true;
    const TDerivedColors& d = look->Derived;
    const int fullW = popup->width(), fullH = popup->height();
    // The two last columns and rows carry the shadow; the frame lies inside them.
    const int w = fullW - 2, h = fullH - 2;
    QPainter p(popup);
    // Outlines with the window system's line rules, drawn on a transparent overlay.
    {
        TLookCanvas overlay(fullW, fullH);
        overlay.SetBrushClear();
        overlay.SetPen(d.MenuBorder);
        overlay.Rectangle({0, 0, w, h});
        overlay.SetPen(d.IconBack);
        if (RightToLeft) {
            overlay.MoveTo(w - 3, 2);
            overlay.LineTo(w - 2, h - 1);
        } else {
            overlay.Rectangle({1, 2, 3, h - 1});
        }
        overlay.CopyTo(p, 0, 0);
    }
    // Row 3 (x from 1 to w - 1) stretched into rows 1 and 2: the first item's background
    // reaches up to the border.
    const QImage row3 = ReadBack(p, QRect(1, 3, w - 2, 1));
    auto copyRow3 = [&](int y) {
        if (!row3.isNull()) {
            p.drawImage(QRect(1, y, w - 2, 2), row3);
            return;
        }
        // A surface that cannot be read: the item background that row 3 shows.
        p.fillRect(QRect(1, y, w - 2, 2), ToQColor(d.MenuColor));
        const int column = look->IconWidth() + 4;
        if (RightToLeft)
            p.fillRect(QRect(w - 1 - column, y, column, 2), ToQColor(d.IconBack));
        else
            p.fillRect(QRect(1, y, column - 1, 2), ToQColor(d.IconBack));
    };
    copyRow3(1);
    p.fillRect(QRect(2, fullH - 2, fullW - 2, 2), ToQColor(d.MenuShadow));
    p.fillRect(QRect(fullW - 2, 2, 2, fullH - 2), ToQColor(d.MenuShadow));
    look->PaintingPopupFrame = false;
}

void PaintPopupFrame(TLookStyler* look, QWidget* popup, bool rightToLeft) {
    if (!look || !popup || look->PaintingPopupFrame) return;
    TPopupFrameHook* hook = TPopupFrameHook::HookOf(popup);
    if (!hook) hook = new TPopupFrameHook(popup, look, rightToLeft);
    hook->Look = look;
    hook->RightToLeft = rightToLeft;
    // The region leaves out the corners that the shadow, offset by 2 pixels, does not reach.
    const int w = popup->width(), h = popup->height();
    const QRect box = popup->mask().boundingRect();
    if (popup->mask().isEmpty() || std::abs(box.width() - w) > 5 || std::abs(box.height() - h) > 5)
        popup->setMask(QRegion(0, 0, w - 2, h - 2) + QRegion(2, 2, w - 2, h - 2));
    popup->update();
}
