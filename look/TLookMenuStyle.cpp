#include "TLookMenuStyle.h"

#include "LookColors.h"
#include "TLookManager.h"
#include "TLookStyler.h"

#include <QAction>
#include <QActionGroup>
#include <QCursor>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionMenuItem>

namespace {

QString CaptionOf(const QAction* item) {
    QString text = item->text();
    const int tab = text.indexOf(QLatin1Char('\t'));
    return tab >= 0 ? text.left(tab) : text;
}

QString ShortcutOf(const QAction* item) {
    const int tab = item->text().indexOf(QLatin1Char('\t'));
    if (tab >= 0) return item->text().mid(tab + 1);
    return item->shortcut().toString(QKeySequence::NativeText);
}

bool IsRadioItem(const QAction* item) {
    return item->actionGroup() && item->actionGroup()->isExclusive() && item->isCheckable();
}

// Round half to even of h / 2.
int HalfToEven(int h) {
    const int q = h / 2;
    if (h % 2 == 0) return q;
    return (q % 2 == 0) ? q : q + 1;
}

bool HasSubItems(const QAction* item) {
    return item && item->menu() && !item->menu()->actions().isEmpty();
}

TLookStyler* LookOf(QObject* handler) {
    return qobject_cast<TLookStyler*>(handler);
}

} // namespace

const QAction* MenuItemFor(const QWidget* menuWidget, const QStyleOption* option, bool measuring) {
    const auto* menuOption = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!menuOption || !menuWidget) return nullptr;
    const auto* menu = qobject_cast<const QMenu*>(menuWidget);
    if (!measuring) {
        if (menu) return menu->actionAt(menuOption->rect.center());
        if (const auto* bar = qobject_cast<const QMenuBar*>(menuWidget))
            return bar->actionAt(menuOption->rect.center());
        return nullptr;
    }
    // While a menu lays itself out no item has a place yet; the option's text identifies it.
    const bool separator = menuOption->menuItemType == QStyleOptionMenuItem::Separator;
    const QList<QAction*> actions = menuWidget->actions();
    for (const QAction* a : actions) {
        if (!a->isVisible()) continue;
        if (separator) {
            if (a->isSeparator()) return a;
            continue;
        }
        if (a->isSeparator()) continue;
        QString text = a->text();
        if (menu && text.indexOf(QLatin1Char('\t')) < 0 && !a->shortcut().isEmpty())
            text += QLatin1Char('\t') + a->shortcut().toString(QKeySequence::NativeText);
        if (text == menuOption->text) return a;
    }
    return nullptr;
}

TLookMenuStyle::TLookMenuStyle(TLookStyler* look) : look_(look) {}

QSize TLookMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                       const QWidget* widget) const {
    if (type == CT_MenuItem || type == CT_MenuBarItem) {
        const QAction* item = MenuItemFor(widget, option, true);
        if (TLookStyler* handler = LookOf(MeasureHandlerOf(item)); handler && handler->Active()) {
            const bool topLevel = type == CT_MenuBarItem;
            int width = size.width(), height = size.height();
            handler->MenuStyle()->MeasureMenuItem(item, topLevel, width, height);
            // The measure counts neither the blank nor the 3-pixel offset before the painted
            // caption. A bar item gets the style's own margins and the 7 pixels of the
            // selection's shadow band, so that the caption ends inside the selection; a popup
            // item gets the arrow column.
            if (topLevel)
                width += QProxyStyle::sizeFromContents(type, option, size, widget).width() - size.width() +
                         BarShadowBand;
            else if (!item->isSeparator())
                width += ArrowColumn;
            return QSize(width, height);
        }
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

void TLookMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const {
    if (element == CE_MenuItem || element == CE_MenuBarItem) {
        const QAction* item = MenuItemFor(widget, option, false);
        if (TLookStyler* handler = LookOf(DrawHandlerOf(item))) {
            const QRect a = option->rect;
            const bool selected = option->state & State_Selected;
            handler->MenuStyle()->DrawMenuItemHandler(
                item, painter, widget, {a.left(), a.top(), a.right() + 1, a.bottom() + 1}, selected);
            if (element == CE_MenuItem && HasSubItems(item) && handler->Active())
                handler->MenuStyle()->DrawSubMenuArrow(item, painter, a, selected,
                                                       widget->layoutDirection() == Qt::RightToLeft);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

bool TLookMenuStyle::PaintsPanelOf(const QWidget* widget) const {
    return look_ && look_->Active() && qobject_cast<const QMenu*>(widget);
}

int TLookMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    // The items of a decorated popup fill their rectangles edge to edge, so the menu keeps a
    // border of its own round them, where the frame is drawn (PE_FrameMenu).
    const int base = QProxyStyle::pixelMetric(metric, option, widget);
    if (metric == PM_MenuPanelWidth && PaintsPanelOf(widget)) return std::max(base, 1);
    return base;
}

void TLookMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const {
    if (element == PE_PanelMenu && PaintsPanelOf(widget)) {
        // The margins round decorated items show the menu colour; the border follows.
        look_->RefreshStaleColors();
        painter->fillRect(option->rect, ToQColor(look_->Derived.MenuColor));
        return;
    }
    if (element == PE_FrameMenu && PaintsPanelOf(widget)) {
        // The menu clips this to its border.
        if (look_->FlatMenu()) {
            // The outline of the flat frame, there from the first paint; the frame hook
            // completes it once the popup has been asked for (MsgPopupFrameByWindow).
            look_->RefreshStaleColors();
            painter->save();
            painter->setPen(ToQColor(look_->Derived.MenuBorder));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
            painter->restore();
        } else if (QProxyStyle::pixelMetric(PM_MenuPanelWidth, option, widget) > 0) {
            QProxyStyle::drawPrimitive(PE_FrameMenu, option, painter, widget);
        } else {
            // A style without a menu border of its own draws the frame with the panel.
            QProxyStyle::drawPrimitive(PE_PanelMenu, option, painter, widget);
        }
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

QImage TLookMenuStyle::Picture(const QAction* item) const {
    if (!item || item->icon().isNull()) return QImage();
    const int extent = pixelMetric(PM_SmallIconSize, nullptr, nullptr);
    return item->icon().pixmap(QSize(extent, extent)).toImage().convertToFormat(QImage::Format_ARGB32);
}

QSize TLookMenuStyle::MenuIconSize(const QAction* item, bool topLevel) const {
    const QImage picture = Picture(item);
    QSize size = picture.isNull() ? QSize(0, 0) : picture.size();
    if (!topLevel && look_) size.setWidth(std::max(size.width(), look_->IconWidth()));
    return size;
}

void TLookMenuStyle::MeasureMenuItem(const QAction* item, bool topLevel, int& width, int& height) const {
    if (!look_ || !look_->Active() || !item) return;
    QString s = item->isSeparator() ? QString() : CaptionOf(item);
    const QString shortcut = ShortcutOf(item);
    if (!shortcut.trimmed().isEmpty()) s += shortcut + QStringLiteral("WWW");
    const QFontMetrics fm(look_->Font().Font);
    int w = fm.horizontalAdvance(s) + 5;
    if (s.contains(QLatin1Char('&'))) w -= fm.horizontalAdvance(QLatin1Char('&'));
    if (!topLevel && HasSubItems(item)) w += 6;
    const QSize icon = MenuIconSize(item, topLevel);
    w += icon.width();
    width = std::max(width, w);
    if (item->isSeparator()) {
        height = 4;
    } else {
        const int th = fm.height();
        int h = th + static_cast<int>(std::lround(0.75 * th));
        h = std::max(h, icon.height() + 6);
        height = std::max(height, h);
    }
}

void TLookMenuStyle::DrawMenuItemHandler(const QAction* item, QPainter* target, const QWidget* window,
                                         const TRect& rect, bool selected) const {
    if (!look_ || !look_->Active()) return;
    try {
        PaintMenuItem(item, target, window, rect, selected);
    } catch (...) {
        // The item shows whatever was copied before the error.
    }
}

void TLookMenuStyle::PaintMenuItem(const QAction* item, QPainter* target, const QWidget* window, TRect a,
                                   bool selected) const {
    TLookStyler* look = look_;
    if (!look || !item || !target) return;
    if (TLookStyler::PaintProbe) TLookStyler::PaintProbe();
    look->RefreshStaleColors();
    const TDerivedColors& d = look->Derived;
    const bool topLevel = qobject_cast<const QMenuBar*>(window) != nullptr;
    const bool rtl = window ? window->layoutDirection() == Qt::RightToLeft : false;
    const bool enabled = item->isEnabled();
    const int iconWidth = look->IconWidth();

    // 1. Off-screen bitmap; a popup item's covers the 4-pixel left margin of the popup.
    const int bw = topLevel ? a.Width() : a.Width() + 4;
    const int bh = a.Height();
    TLookCanvas canvas(bw, bh);
    const TRect r = topLevel ? TRect{0, 0, bw, bh} : TRect{4, 0, bw, bh + 1};
    const TRect r4{0, r.Top, r.Right, r.Bottom};

    // 2. Picture.
    const QImage picture = Picture(item);
    const bool hasPicture = !picture.isNull();
    const int pw = hasPicture ? picture.width() : 0;

    // 3. Icon column and 4. mark box.
    const TRect c = rtl ? TRect{r.Right - iconWidth, r.Top, r.Right, r.Bottom}
                        : TRect{r.Left, r.Top, r.Left + iconWidth, r.Bottom};
    TRect k;
    if (hasPicture) {
        k = {c.Left + 1, c.Top + 2, c.Right - 3, c.Bottom - 2};
        if (pw > iconWidth) {
            if (rtl)
                k.Left = k.Right - pw;
            else
                k.Right = k.Left + pw;
        }
    } else {
        const int left = c.Left + (c.Width() - 10) / 2, top = c.Top + (c.Height() - 10) / 2;
        k = {left, top, left + 10, top + 10};
    }
    if (topLevel) k.Top -= 1;

    // 5. Text rectangle.
    TRect t = r;
    const int inset = topLevel ? 4 : iconWidth;
    if (!rtl) {
        t.Left = r.Left + inset;
        if (hasPicture) t.Left = std::max(t.Left, r.Left + pw + 4);
    } else {
        t.Right = r.Right - inset;
        if (hasPicture) t.Right = std::min(t.Right, r.Right - pw - 8);
    }
    if (topLevel) {
        if (hasPicture) {
            if (rtl)
                t.Right += 5;
            else
                t.Left -= 5;
        } else {
            t = r;
        }
    }

    // 6. Background.
    if (topLevel) {
        // The bar selection's shadow darkens the same derived colour.
        if (look->DrawMenuBar()) look->Derived.MenuBar = look->MenuBarColor();
        canvas.SetBrush(d.MenuBar);
        canvas.FillRect(r);
    } else if (look->HighColor && look->Gradient()) {
        GradientFill(canvas, {r.Left, r.Top, r.Right + 2, r.Bottom}, rtl);
    } else {
        canvas.SetBrush(d.MenuColor);
        canvas.FillRect(r4);
        canvas.SetBrush(d.IconBack);
        canvas.FillRect(c);
    }

    // 7. Selection.
    bool highlighted = false;
    if (selected && look->DrawSelect()) {
        if (topLevel) {
            DrawMenuBarSelection(canvas, r, rtl);
            highlighted = true;
        } else if (enabled) {
            TRect s{r.Left, r.Top + 1, r.Right - (look->FlatMenu() ? 1 : 0), r.Bottom - 1};
            canvas.SetBrush(d.Select);
            canvas.SetPen(d.SelectBorder);
            canvas.Rectangle(s);
            highlighted = true;
        }
    } else if (topLevel && enabled && window) {
        const QPoint cursor = window->mapFromGlobal(QCursor::pos());
        if (cursor.x() >= a.Left && cursor.x() <= a.Right - 1 && cursor.y() >= a.Top &&
            cursor.y() <= a.Bottom - 2) {
            canvas.SetBrush(d.Select);
            canvas.SetPen(d.SelectBorder);
            canvas.Rectangle({r.Left, r.Top, r.Right - BarShadowBand, r.Bottom});
            highlighted = true;
        }
    }

    // 8. Marks and 9. picture.
    if (item->isChecked() || IsRadioItem(item)) DrawCheckMark(canvas, item, selected, k, hasPicture, enabled);
    if (hasPicture) DrawMenuIcon(canvas, c, picture, topLevel, highlighted, enabled, item->isChecked(), rtl);

    // 10. Separator or 11. text.
    if (item->isSeparator()) {
        const int y = t.Top + HalfToEven(t.Bottom - t.Top);
        canvas.SetPen(d.Separator);
        if (rtl) {
            canvas.MoveTo(t.Left, y);
            canvas.LineTo(t.Right - 7, y);
        } else {
            canvas.MoveTo(t.Left + 7, y);
            canvas.LineTo(t.Right, y);
        }
    } else {
        unsigned flags = 0;
        if (rtl) {
            t.Right -= 3;
            flags = DT_RTLREADING | DT_RIGHT;
        } else {
            t.Left += 3;
        }
        canvas.SetFont(look->Font().Font, look->Font().Color);
        t.Top += (t.Height() - canvas.TextHeight(QStringLiteral("W"))) / 2;
        const auto* menu = qobject_cast<const QMenu*>(window);
        const bool isDefault = menu && menu->defaultAction() == item;
        look->DrawItemText(const_cast<QAction*>(item), QStringLiteral(" ") + CaptionOf(item),
                           ShortcutOf(item), canvas, t, selected, enabled, isDefault, topLevel, rtl,
                           look->Font(), flags);
    }

    // 12. Copy to the target.
    canvas.CopyTo(*target, topLevel ? a.Left : a.Left - 4, a.Top);

    // 13. Flat popup frame on the item's window.
    if (look->FlatMenu() && !topLevel) {
        if (TLookManager* manager = TLookManager::Instance()) {
            QWidget* popup = window ? const_cast<QWidget*>(window->window()) : nullptr;
            if (popup && popup != look->HostForm())
                manager->PostPopupFrame(MsgPopupFrameByWindow, rtl ? 1 : 0, popup);
            else if (!popup)
                manager->PostPopupFrame(MsgPopupFrameByItem, 0, const_cast<QAction*>(item));
        }
    }
}

void TLookMenuStyle::DrawCheckMark(TLookCanvas& canvas, const QAction* item, bool selected, const TRect& k,
                                   bool hasPicture, bool enabled) const {
    const TDerivedColors& d = look_->Derived;
    const TColor penColor = enabled ? d.SelectBorder : d.Disabled;
    canvas.SetPen(penColor);
    // A disabled mark keeps the brush the background left.
    if (enabled) canvas.SetBrush(selected ? d.SelectPressed : d.SelectLight);
    if (IsRadioItem(item)) {
        if (!item->isChecked()) return;
        if (hasPicture) {
            canvas.RoundRect(k, 6, 6);
        } else {
            canvas.Ellipse(k);
            canvas.SetBrush(penColor);
            canvas.Ellipse(k.Inflated(-2, -2));
        }
    } else if (item->isChecked()) {
        canvas.Rectangle(k);
        if (hasPicture) return;
        canvas.SetPen(enabled ? clBlack : d.Disabled);
        const int lines[5][4] = {{k.Left + 1, k.Top + 5, k.Left + 4, k.Bottom - 2},
                                 {k.Left + 2, k.Top + 5, k.Left + 4, k.Bottom - 3},
                                 {k.Left + 2, k.Top + 4, k.Left + 5, k.Bottom - 3},
                                 {k.Left + 4, k.Bottom - 3, k.Right + 2, k.Top - 1},
                                 {k.Left + 4, k.Bottom - 2, k.Right - 2, k.Top + 3}};
        for (const auto& l : lines) {
            canvas.MoveTo(l[0], l[1]);
            canvas.LineTo(l[2], l[3]);
        }
    }
}

void TLookMenuStyle::DrawMenuIcon(TLookCanvas& canvas, const TRect& c, QImage picture, bool topLevel,
                                  bool highlighted, bool enabled, bool checked, bool rightToLeft) const {
    const int w = picture.width(), iconWidth = look_->IconWidth();
    int x, y = c.Top + 3;
    if (w < iconWidth)
        x = c.Left + (iconWidth - w) / 2 - 1;
    else
        x = rightToLeft ? c.Right - w - 2 : c.Left + 2;
    if (topLevel) x = rightToLeft ? c.Right - w - 5 : c.Left + 1;
    if (highlighted && enabled) {
        if (topLevel) {
            x -= 1;
            y -= 2;
        } else if (!checked) {
            x -= 1;
            y -= 1;
        }
    }
    auto forEachPixel = [&picture](auto f) {
        for (int py = 0; py < picture.height(); ++py)
            for (int px = 0; px < picture.width(); ++px) {
                const QRgb p = picture.pixel(px, py);
                const TColor c2 = f(RGBColor(qRed(p), qGreen(p), qBlue(p)));
                picture.setPixel(px, py, qRgba(RedOf(c2), GreenOf(c2), BlueOf(c2), qAlpha(p)));
            }
    };
    const int dim = look_->DimLevel(), gray = look_->GrayLevel();
    if (!highlighted && enabled && !checked && look_->HighColor)
        forEachPixel([dim](TColor p) { return Lighten(p, dim); });
    if (!enabled) {
        forEachPixel([gray](TColor p) { return GrayColor(p, gray); });
        forEachPixel([](TColor p) { return Lighten(p, 40); });
    }
    if (highlighted && enabled && !checked) {
        const QRgb key = picture.pixel(0, picture.height() - 1);
        const TColor shade = Darken(look_->Derived.Select, 50);
        for (int py = 0; py < picture.height(); ++py)
            for (int px = 0; px < picture.width(); ++px)
                if (picture.pixel(px, py) != key && qAlpha(picture.pixel(px, py)) != 0)
                    canvas.SetPixel(x + 2 + px, y + 2 + py, shade);
    }
    QPainter p(&canvas.Image());
    p.drawImage(x, y, picture);
}

void TLookMenuStyle::DrawMenuBarSelection(TLookCanvas& canvas, const TRect& r, bool rightToLeft) const {
    const TDerivedColors& d = look_->Derived;
    const TColor bar = look_->MenuBarColor();
    canvas.SetBrush(d.Select);
    canvas.FillRect(r);
    canvas.SetPen(d.SelectBorder);
    const int right = (rightToLeft || !look_->HighColor) ? r.Right - 3 : r.Right - 8;
    canvas.MoveTo(r.Left, r.Bottom);
    canvas.LineTo(r.Left, r.Top);
    canvas.LineTo(right, r.Top);
    canvas.LineTo(right, r.Bottom);
    if (rightToLeft || !look_->HighColor) {
        canvas.SetBrush(bar);
        canvas.FillRect({right + 1, r.Top, right + 3, r.Top + 2});
        canvas.SetBrush(Darken(bar, 70));
        canvas.FillRect({right + 1, r.Top + 2, right + 3, r.Bottom});
        return;
    }
    const int left = r.Right - BarShadowBand;
    canvas.SetBrush(Darken(d.MenuBar, 10));
    canvas.FillRect({left, r.Top, r.Right, r.Bottom});
    canvas.SetBrush(Darken(d.MenuBar, 30));
    canvas.FillRect({left, r.Top + 3, r.Right - 2, r.Bottom});
    canvas.SetBrush(Darken(d.MenuBar, 60));
    canvas.FillRect({left, r.Top + 5, r.Right - 3, r.Bottom});
    canvas.SetBrush(Darken(d.MenuBar, 100));
    canvas.FillRect({left, r.Top + 6, r.Right - 5, r.Bottom});
    // Single shade pixels round the top of the shadow.
    canvas.SetPixel(left, r.Top, d.MenuBar);
    canvas.SetPixel(left + 1, r.Top + 1, Darken(d.MenuBar, 10));
    canvas.SetPixel(r.Right - 3, r.Top + 3, Darken(d.MenuBar, 30));
    canvas.SetPixel(r.Right - 4, r.Top + 5, Darken(d.MenuBar, 40));
}

void TLookMenuStyle::GradientFill(TLookCanvas& canvas, const TRect& r, bool rightToLeft) const {
    const TColor iconBack = look_->Derived.IconBack;
    const int iconWidth = look_->IconWidth();
    int counter = 0;
    auto strip = [&](int x) {
        canvas.SetBrush(Lighten(iconBack, counter));
        canvas.FillRect({x, r.Top, x + 1, r.Bottom});
    };
    if (!rightToLeft) {
        for (int x = r.Left; x < r.Right; ++x) {
            strip(x);
            counter = std::min(counter + ((x > r.Left && x < r.Left + iconWidth + 5) ? 3 : 1), 96);
        }
    } else {
        for (int x = r.Right - 1; x >= r.Left; --x) {
            strip(x);
            counter = std::min(counter + ((x > r.Right - iconWidth + 5 && x < r.Right) ? 3 : 1), 96);
        }
    }
}

void TLookMenuStyle::DrawSubMenuArrow(const QAction* item, QPainter* target, const QRect& rect, bool selected,
                                      bool rightToLeft) const {
    // A solid triangle 4 pixels wide and 7 high, its tip 5 pixels in from the outer edge, in
    // the colour the caption has.
    const TDerivedColors& d = look_->Derived;
    TColor color = look_->Font().Color;
    if (selected) color = d.SelectFont;
    if (!item->isEnabled()) color = d.Disabled;
    const int centre = rect.top() + rect.height() / 2;
    for (int i = 0; i < 4; ++i) {
        // Column i from the base (widest) to the tip.
        const int x = rightToLeft ? rect.left() + 7 - i : rect.right() - 7 + i;
        target->fillRect(QRect(x, centre - (3 - i), 1, 2 * (3 - i) + 1), ToQColor(color));
    }
}
