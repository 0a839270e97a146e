#pragma once
// An off-screen drawing surface with the window system's drawing rules: a rectangle includes
// its left and top edges and excludes its right and bottom edges; a line excludes its end point.
// Painters draw here and the result is copied over the control in one block, which also lets
// them read back pixels they drew.
#include "LookTypes.h"

#include <QFont>
#include <QImage>
#include <QString>

class QPainter;

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    TRect Inflated(int dx, int dy) const { return {Left - dx, Top - dy, Right + dx, Bottom + dy}; }
    bool operator==(const TRect&) const = default;
};

// Text flags, with the window system's values.
constexpr unsigned DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_EXPANDTABS = 0x40,
                   DT_CALCRECT = 0x400, DT_RTLREADING = 0x20000;

class TLookCanvas {
  public:
    // A transparent surface of the given size.
    TLookCanvas(int width, int height);
    ~TLookCanvas();
    TLookCanvas(const TLookCanvas&) = delete;
    TLookCanvas& operator=(const TLookCanvas&) = delete;

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    const QImage& Image() const { return image_; }
    QImage& Image() { return image_; }

    void SetPen(TColor c) { pen_ = c; }
    void SetBrush(TColor c) {
        brush_ = c;
        brushClear_ = false;
    }
    void SetBrushClear() { brushClear_ = true; }
    void SetFont(const QFont& font, TColor color) {
        font_ = font;
        fontColor_ = color;
    }
    void SetFontColor(TColor c) { fontColor_ = c; }

    void FillRect(const TRect& r);                              // brush, no outline
    void Rectangle(const TRect& r);                             // pen outline, brush interior
    void RoundRect(const TRect& r, int ellipseW, int ellipseH); // small corner ellipses
    void Ellipse(const TRect& r);
    void MoveTo(int x, int y) {
        penX_ = x;
        penY_ = y;
    }
    void LineTo(int x, int y); // from the pen position, end excluded
    void Polyline(const int (*points)[2], int count);
    void SetPixel(int x, int y, TColor c);
    TColor Pixel(int x, int y) const;    // clBlack outside the surface
    bool PixelIsSet(int x, int y) const; // drawn on (not transparent)

    // Draws text into r (with DT_CALCRECT: measures into r instead); the text background is
    // transparent and '&' marks a mnemonic.
    void DrawText(const QString& text, TRect& r, unsigned flags);
    int TextHeight(const QString& text) const;

    // Copies the surface onto a painter at (x, y).
    void CopyTo(QPainter& target, int x, int y) const;

  private:
    QImage image_;
    TColor pen_ = clBlack, brush_ = clWhite, fontColor_ = clBlack;
    bool brushClear_ = false;
    int penX_ = 0, penY_ = 0;
    QFont font_;
};

// Draws a bevel of the given width inside r: top and left in topColor, right and bottom in
// bottomColor; r comes back shrunk by the width on every side.
void BevelFrame(TLookCanvas& canvas, TRect& r, TColor topColor, TColor bottomColor, int width);
