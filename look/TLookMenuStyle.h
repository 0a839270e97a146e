#pragma once
// Owner-draw menus: a style proxy set on the menus a look decorates. It measures and draws the
// items whose handlers belong to a look and leaves every other item to the base style.
#include "TLookCanvas.h"

#include <QImage>
#include <QPointer>
#include <QProxyStyle>

class QAction;
class QMenu;
class TLookStyler;

class TLookMenuStyle : public QProxyStyle {
    Q_OBJECT
  public:
    explicit TLookMenuStyle(TLookStyler* look);

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;

    // The column at the right of every decorated popup item (the left, right-to-left) that the
    // toolkit adds to the measured width, as the window system adds its check-mark column to
    // owner-drawn items; the sub-menu arrow is drawn there.
    static constexpr int ArrowColumn = 12;
    // The shadow band at the right of a selected menu-bar item (DrawMenuBarSelection).
    static constexpr int BarShadowBand = 7;

    // The measure handler; width and height come in proposed and go out measured.
    void MeasureMenuItem(const QAction* item, bool topLevel, int& width, int& height) const;
    // The draw handler: PaintMenuItem while the look is active, dropping any error.
    void DrawMenuItemHandler(const QAction* item, QPainter* target, const QWidget* window, const TRect& rect,
                             bool selected) const;
    void PaintMenuItem(const QAction* item, QPainter* target, const QWidget* window, TRect rect,
                       bool selected) const;
    // Size of the item's picture; at least IconWidth wide for an item that is not top-level.
    QSize MenuIconSize(const QAction* item, bool topLevel) const;

    void DrawCheckMark(TLookCanvas& canvas, const QAction* item, bool selected, const TRect& k,
                       bool hasPicture, bool enabled) const;
    void DrawMenuIcon(TLookCanvas& canvas, const TRect& c, QImage picture, bool topLevel, bool highlighted,
                      bool enabled, bool checked, bool rightToLeft) const;
    void DrawMenuBarSelection(TLookCanvas& canvas, const TRect& r, bool rightToLeft) const;
    void GradientFill(TLookCanvas& canvas, const TRect& r, bool rightToLeft) const;
    // The sub-menu arrow of an item with sub-items, in the arrow column of its rectangle.
    void DrawSubMenuArrow(const QAction* item, QPainter* target, const QRect& rect, bool selected,
                          bool rightToLeft) const;

    TLookStyler* Look() const { return look_; }

  private:
    QImage Picture(const QAction* item) const;
    // The look paints this menu's panel: it is a popup menu and the look is active.
    bool PaintsPanelOf(const QWidget* widget) const;
    QPointer<TLookStyler> look_;
};

// The item shown at a menu or menu bar position, or the item an option describes.
const QAction* MenuItemFor(const QWidget* menuWidget, const QStyleOption* option, bool measuring);
