#include "TLookCanvas.h"

#include "LookColors.h"

#include <QFontMetrics>
#include <QPainter>

#include <cstdlib>

namespace {

int QtTextFlags(unsigned flags) {
    // Left and right are the rectangle's edges whatever the reading order; Qt would mirror
    // them for right-to-left text without AlignAbsolute.
    int qt = Qt::TextShowMnemonic | Qt::AlignAbsolute;
    if (flags & DT_CENTER)
        qt |= Qt::AlignHCenter;
    else if (flags & DT_RIGHT)
        qt |= Qt::AlignRight;
    else
        qt |= Qt::AlignLeft;
    qt |= (flags & DT_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop;
    if (flags & DT_EXPANDTABS) qt |= Qt::TextExpandTabs;
    return qt;
}

QRect ToQRect(const TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

} // namespace

TLookCanvas::TLookCanvas(int width, int height)
    : image_(std::max(width, 1), std::max(height, 1), QImage::Format_ARGB32_Premultiplied) {
    image_.fill(Qt::transparent);
}

TLookCanvas::~TLookCanvas() = default;

void TLookCanvas::SetPixel(int x, int y, TColor c) {
    if (x >= 0 && y >= 0 && x < image_.width() && y < image_.height())
        image_.setPixel(x, y, ToQColor(c).rgba());
}

TColor TLookCanvas::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return clBlack;
    return FromQColor(QColor::fromRgba(image_.pixel(x, y)));
}

bool TLookCanvas::PixelIsSet(int x, int y) const {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return false;
    return qAlpha(image_.pixel(x, y)) != 0;
}

void TLookCanvas::FillRect(const TRect& r) {
    if (brushClear_ || r.Width() <= 0 || r.Height() <= 0) return;
    QPainter p(&image_);
    p.fillRect(ToQRect(r), ToQColor(brush_));
}

void TLookCanvas::Rectangle(const TRect& r) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    if (!brushClear_) FillRect(r.Inflated(-1, -1));
    for (int x = r.Left; x < r.Right; ++x) {
        SetPixel(x, r.Top, pen_);
        SetPixel(x, r.Bottom - 1, pen_);
    }
    for (int y = r.Top; y < r.Bottom; ++y) {
        SetPixel(r.Left, y, pen_);
        SetPixel(r.Right - 1, y, pen_);
    }
}

void TLookCanvas::RoundRect(const TRect& r, int ellipseW, int ellipseH) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    // Corner cut of a small ellipse: with a 4 x 4 ellipse the outline steps in by one pixel
    // diagonally at each corner and the corner pixel itself stays untouched.
    const int cx = std::max(ellipseW / 2, 1), cy = std::max(ellipseH / 2, 1);
    if (!brushClear_) {
        QPainter p(&image_);
        const QColor b = ToQColor(brush_);
        p.fillRect(QRect(r.Left + 1, r.Top + cy, r.Width() - 2, r.Height() - 2 * cy), b);
        p.fillRect(QRect(r.Left + cx, r.Top + 1, r.Width() - 2 * cx, r.Height() - 2), b);
    }
    for (int x = r.Left + cx; x < r.Right - cx; ++x) {
        SetPixel(x, r.Top, pen_);
        SetPixel(x, r.Bottom - 1, pen_);
    }
    for (int y = r.Top + cy; y < r.Bottom - cy; ++y) {
        SetPixel(r.Left, y, pen_);
        SetPixel(r.Right - 1, y, pen_);
    }
    const int c = std::min(cx, cy);
    for (int i = 1; i < c; ++i) {
        SetPixel(r.Left + i, r.Top + c - i, pen_);
        SetPixel(r.Right - 1 - i, r.Top + c - i, pen_);
        SetPixel(r.Left + i, r.Bottom - 1 - c + i, pen_);
        SetPixel(r.Right - 1 - i, r.Bottom - 1 - c + i, pen_);
    }
}

void TLookCanvas::Ellipse(const TRect& r) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(ToQColor(pen_));
    if (brushClear_)
        p.setBrush(Qt::NoBrush);
    else
        p.setBrush(ToQColor(brush_));
    p.drawEllipse(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
}

void TLookCanvas::LineTo(int x, int y) {
    // Bresenham from the pen position, excluding the end point as the window system does.
    int x0 = penX_, y0 = penY_;
    const int dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
    const int dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    while (!(x0 == x && y0 == y)) {
        SetPixel(x0, y0, pen_);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
    penX_ = x;
    penY_ = y;
}

void TLookCanvas::Polyline(const int (*points)[2], int count) {
    if (count <= 0) return;
    MoveTo(points[0][0], points[0][1]);
    for (int i = 1; i < count; ++i)
        LineTo(points[i][0], points[i][1]);
}

void TLookCanvas::DrawText(const QString& text, TRect& r, unsigned flags) {
    if (flags & DT_CALCRECT) {
        const QFontMetrics fm(font_);
        const QRect b =
            fm.boundingRect(QRect(), QtTextFlags(flags & ~(DT_CENTER | DT_VCENTER | DT_RIGHT)), text);
        r.Right = r.Left + b.width();
        r.Bottom = r.Top + b.height();
        return;
    }
    QPainter p(&image_);
    p.setFont(font_);
    p.setPen(ToQColor(fontColor_));
    p.setLayoutDirection((flags & DT_RTLREADING) ? Qt::RightToLeft : Qt::LeftToRight);
    p.drawText(ToQRect(r), QtTextFlags(flags), text);
}

int TLookCanvas::TextHeight(const QString&) const {
    return QFontMetrics(font_).height();
}

void TLookCanvas::CopyTo(QPainter& target, int x, int y) const {
    target.drawImage(x, y, image_);
}

void BevelFrame(TLookCanvas& canvas, TRect& r, TColor topColor, TColor bottomColor, int width) {
    r.Right -= 1;
    r.Bottom -= 1;
    for (int i = 0; i < width; ++i) {
        canvas.SetPen(topColor);
        const int top[3][2] = {{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}};
        canvas.Polyline(top, 3);
        canvas.SetPen(bottomColor);
        const int bottom[3][2] = {{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left - 1, r.Bottom}};
        canvas.Polyline(bottom, 3);
        r = r.Inflated(-1, -1);
    }
    r.Right += 1;
    r.Bottom += 1;
}
