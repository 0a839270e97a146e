#include "TLookStyler.h"

#include "LookColors.h"
#include "LookKinds.h"
#include "TControlSubClass.h"
#include "TLookManager.h"
#include "TLookMenuStyle.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPaintDevice>

#include <stdexcept>

std::function<void()> TLookStyler::PaintProbe;

QObject* DrawHandlerOf(const QAction* item) {
    return item ? item->property("OnDrawItem").value<QObject*>() : nullptr;
}

QObject* MeasureHandlerOf(const QAction* item) {
    return item ? item->property("OnMeasureItem").value<QObject*>() : nullptr;
}

// Every setting starts at its member initialiser; the select font colour equals the font's.
TLookStyler::TLookStyler(QWidget* hostForm) : QObject(hostForm) {
    font_.Font = QApplication::font("QMenu");
    if (!IsForm(hostForm)) throw std::invalid_argument("TLookStyler: the owner must be a form");
    hostForm_ = hostForm;
    setObjectName(QStringLiteral("TLookStyler"));
    menuStyle_ = new TLookMenuStyle(this);
    menuStyle_->setParent(this);
    ComputeDerivedColors(hostForm_);
    TLookManager::Ensure();
}

TLookStyler::~TLookStyler() {
    if (hostForm_) ApplyToContainer(hostForm_, false, false);
    if (TLookManager* manager = TLookManager::Instance()) manager->Unregister(this);
    if (hostForm_) hostForm_->update();
    TLookManager::ReleaseIfUnused();
    // Records still installed put their controls' handlers and frames back as they go.
    const QList<TControlSubClass*> records = Records();
    for (TControlSubClass* record : records)
        delete record;
}

QList<TControlSubClass*> TLookStyler::Records() const {
    QList<TControlSubClass*> out;
    for (QObject* child : children())
        if (auto* record = qobject_cast<TControlSubClass*>(child)) out.append(record);
    return out;
}

void TLookStyler::StoreColor(TColor& field, TColor value) {
    field = value;
    ColorsStale = true;
}

void TLookStyler::SetActive(bool value) {
    if (active_ == value) return;
    active_ = value;
    if (hostForm_) ApplyToContainer(hostForm_, value, true);
    RedrawMenuBar();
}

void TLookStyler::SetFont(const TLookFont& font) {
    font_ = font;
    RedrawMenuBar();
}

void TLookStyler::SetMenuBarColor(TColor c) {
    StoreColor(menuBarColor_, c);
    RedrawMenuBar();
}

void TLookStyler::SetUseSystemColors(bool value) {
    useSystemColors_ = value;
    RedrawMenuBar();
}

template <typename Set> void TLookStyler::ReplaceTable(Set& table, Set value) {
    if (value != table && active_ && hostForm_) {
        // Undecorate under the old table, then decorate under the new one.
        active_ = false;
        ApplyToContainer(hostForm_, false, true);
        active_ = true;
        table = value;
        ApplyToContainer(hostForm_, true, true);
    }
    table = value;
}

void TLookStyler::SetLookControls(TLookControls value) {
    ReplaceTable(lookControls_, value);
}

void TLookStyler::SetLookContainers(TLookContainers value) {
    ReplaceTable(lookContainers_, value);
}

void TLookStyler::SetDisableSubclassing(bool value) {
    if (disableSubclassing_ == value) return;
    disableSubclassing_ = value;
    TLookManager* manager = TLookManager::Instance();
    if (!manager) return;
    if (manager->Current == this)
        manager->ChooseCurrent(this);
    else if (!manager->Current && !value)
        manager->ChooseCurrent(nullptr);
}

void TLookStyler::RedrawMenuBar() {
    if (!hostForm_) return;
    for (QMenuBar* bar : hostForm_->findChildren<QMenuBar*>())
        if (bar->window() == hostForm_) bar->update();
}

void TLookStyler::RegisterWithManager() {
    TLookManager::Ensure()->Register(this);
}

void TLookStyler::ComputeDerivedColors(const QPaintDevice* canvas) {
    HighColor = (canvas ? canvas->depth() : 32) >= 16;
    TDerivedColors& d = Derived;
    d.MenuBorder = HighColor ? Darken(clBtnFace, 90) : clBtnShadow;
    d.MenuShadow = HighColor ? Darken(clBtnFace, 76) : clBtnShadow;
    // Each colour is computed once: from the system colours or from the settings.
    if (useSystemColors_) {
        d.MenuColor = HighColor ? Lighten(clBtnFace, 86) : clWhite;
        d.IconBack = HighColor ? Lighten(clBtnFace, 16) : clBtnFace;
        d.Select = HighColor ? Lighten(clHighlight, 68) : clWhite;
        d.SelectBorder = clHighlight;
        d.SelectFont = font_.Color;
        d.SelectLight = HighColor ? Lighten(clHighlight, 80) : clWhite;
        d.SelectPressed = HighColor ? Lighten(clHighlight, 50) : clWhite;
        d.Checked = clHighlight;
        d.MenuBar = clBtnFace;
        d.Disabled = HighColor ? Lighten(clBtnShadow, 10) : clBtnShadow;
        d.Separator = HighColor ? Lighten(clBtnShadow, 25) : clBtnShadow;
    } else {
        d.MenuColor = color_;
        d.IconBack = iconBackColor_;
        d.Select = HighColor && useDimColor_ ? Lighten(selectColor_, 68) : selectColor_;
        d.SelectBorder = selectBorderColor_;
        d.SelectFont = selectFontColor_;
        d.SelectLight = HighColor ? (useDimColor_ ? Lighten(selectColor_, 80) : selectColor_) : clWhite;
        d.SelectPressed = HighColor ? (useDimColor_ ? Lighten(selectColor_, 50) : selectColor_) : clSilver;
        d.Checked = checkedColor_;
        d.MenuBar = menuBarColor_;
        d.Disabled = disabledColor_;
        d.Separator = separatorColor_;
    }
    ColorsStale = false;
}

void TLookStyler::RefreshStaleColors() {
    if (ColorsStale) ComputeDerivedColors(hostForm_);
}

void TLookStyler::ApplyToContainer(QObject* container, bool activate, bool invalidate) {
    if (!container) return;
    const QList<QObject*> components = OwnedComponents(container);
    // A component can go while an earlier one is handled (a record detaching, a control
    // deleting a child); guard each one.
    QList<QPointer<QObject>> guarded;
    for (QObject* c : components)
        guarded.append(c);
    for (const QPointer<QObject>& c : guarded)
        if (c) ApplyToComponent(c, activate, invalidate);
}

void TLookStyler::SetOwnerDraw(QWidget* menuWidget, bool on) {
    if (on) {
        if (menuWidget->style() != menuStyle_) menuWidget->setStyle(menuStyle_);
    } else if (menuWidget->style() == menuStyle_) {
        menuWidget->setStyle(nullptr);
    }
}

void TLookStyler::DecorateMenu(QWidget* menuWidget, bool activate) {
    SetOwnerDraw(menuWidget, activate);
    for (QAction* item : menuWidget->actions())
        WalkMenuItem(item, activate);
}

void TLookStyler::WalkMenuItem(QAction* item, bool activate) {
    QObject* const self = this;
    if (activate) {
        if (LookTag(item) != 999) {
            if (!DrawHandlerOf(item) || overrideOwnerDraw_)
                item->setProperty("OnDrawItem", QVariant::fromValue<QObject*>(self));
            if (!MeasureHandlerOf(item) || overrideOwnerDraw_)
                item->setProperty("OnMeasureItem", QVariant::fromValue<QObject*>(self));
        }
    } else {
        if (DrawHandlerOf(item) == self) item->setProperty("OnDrawItem", QVariant());
        if (MeasureHandlerOf(item) == self) item->setProperty("OnMeasureItem", QVariant());
    }
    if (QMenu* sub = item->menu()) DecorateMenu(sub, activate);
}

bool TLookStyler::IsEligible(const QWidget* control) const {
    if (!control || control->isWindow()) return false;
    const QByteArray type = TypeName(control);
    const TLookControls lc = lookControls_;
    const bool controlPasses =
        (IsSingleLineEdit(control) && lc.Contains(lcEdit)) ||
        (type == "TMaskEdit" && lc.Contains(lcMaskEdit)) || (type == "TDBEdit" && lc.Contains(lcMaskEdit)) ||
        (IsMemo(control) && lc.Contains(lcMemo)) || (IsCheckBox(control) && lc.Contains(lcCheckBox)) ||
        (type == "TBitBtn" && lc.Contains(lcBitBtn)) ||
        // The push button type is QPushButton itself; a class of its own name is not attached.
        (type == "QPushButton" && lc.Contains(lcButton)) || (type == "TUpDown" && lc.Contains(lcUpDown)) ||
        (IsPanel(control) && lc.Contains(lcPanel)) || (type == "TDBNavigator" && lc.Contains(lcButton)) ||
        (type == "TDBLookupComboBox" && lc.Contains(lcButton));
    if (!controlPasses) return false;
    const QWidget* parent = EffectiveContainer(control);
    if (!parent) return false;
    const QByteArray parentType = TypeName(parent);
    const TLookContainers pc = lookContainers_;
    return (IsPanel(parent) && pc.Contains(lccPanel)) ||
           (parentType == "TdxTabSheet" && pc.Contains(lccTabSheet)) ||
           (parentType == "TDBCtrlPanel" && pc.Contains(lccFrame)) ||
           (IsForm(parent) && pc.Contains(lccForm));
}

void TLookStyler::ApplyToComponent(QObject* component, bool activate, bool invalidate) {
    if (auto* bar = qobject_cast<QMenuBar*>(component)) {
        if (lookControls_.Contains(lcMainMenu) && LookTag(bar) != 999 && !bar->actions().isEmpty()) {
            DecorateMenu(bar, activate);
            // Resetting the first caption makes the bar lay its items out again.
            QAction* first = bar->actions().first();
            const QString caption = first->text();
            first->setText(QString());
            first->setText(caption);
        }
    } else if (IsPopupMenuComponent(component) && lookControls_.Contains(lcPopupMenu)) {
        DecorateMenu(static_cast<QMenu*>(component), activate);
    }

    auto* control = qobject_cast<QWidget*>(component);
    if (control && IsEligible(control)) {
        const QWidget* parent = control->parentWidget();
        if (activate && LookTag(control) != 999 && LookTag(parent) != 999 &&
            LookTag(EffectiveContainer(control)) != 999)
            Attach(control);
        if (invalidate) InvalidateControl(control);
    }

    if ((IsForm(component) && component != hostForm_) || TypeName(component) == "TDBNavigator")
        ApplyToContainer(component, activate, invalidate);
}

void TLookStyler::Attach(QWidget* control) {
    // A control that already has a look handler keeps it; no second record is made for it.
    if (TControlSubClass::HandlerOf(control)) return;
    auto* record = new TControlSubClass(this);
    record->Look = this;
    if (IsEditKind(control)) {
        record->SavedCtl3D = GetCtl3D(control);
        record->SavedBorderStyle = GetBorderStyle(control);
    }
    record->Install(control);
}

void TLookStyler::InvalidateControl(QWidget* control) {
    if (TControlSubClass::HandlerOf(control)) {
        QEvent request(static_cast<QEvent::Type>(TControlSubClass::InvalidateEvent()));
        QCoreApplication::sendEvent(control, &request);
    }
    control->update();
}

void TLookStyler::Notification(QObject* component, TOperation operation) {
    TLookManager* manager = TLookManager::Instance();
    if (!manager) return;
    manager->OnComponentNotification(component, operation);
    // Records follow their controls through QPointer and the control's destroyed signal.
    if (active_ && autoDetect_ && operation == opInsert && qobject_cast<QAction*>(component))
        ApplyToComponent(component, true, true);
}

void TLookStyler::DrawItemText(QObject*, const QString& text, const QString& shortcut, TLookCanvas& canvas,
                               TRect r, bool selected, bool enabled, bool isDefault, bool topLevel,
                               bool rightToLeft, const TLookFont& font, unsigned flags) const {
    TColor color = font.Color;
    if (selected) color = Derived.SelectFont;
    if (!enabled) color = Derived.Disabled;
    if (topLevel && selected && useSystemColors_) color = ContrastTextColor(Derived.IconBack, font_.Color);
    canvas.SetFont(font.Font, color);
    flags |= DT_EXPANDTABS;
    if (isDefault && enabled) {
        struct Pass {
            int dl, dt, dr, n;
        };
        constexpr Pass passes[4] = {{1, 0, 0, 30}, {1, 2, 1, 30}, {0, 1, 0, 40}, {1, 1, 1, 60}};
        for (const Pass& pass : passes) {
            TRect pr{r.Left + pass.dl, r.Top + pass.dt, r.Right + pass.dr, r.Bottom};
            canvas.SetFontColor(Darken(canvas.Pixel(pr.Left, pr.Top), pass.n));
            canvas.DrawText(text, pr, flags);
        }
        canvas.SetFontColor(color);
    }
    canvas.DrawText(text, r, flags);
    const QString tail = shortcut + QLatin1Char(' ');
    if (rightToLeft) {
        TRect sr{r.Left + 10, r.Top, r.Right, r.Bottom};
        canvas.DrawText(tail, sr, DT_LEFT);
    } else {
        TRect sr{r.Left, r.Top, r.Right - 10, r.Bottom};
        canvas.DrawText(tail, sr, DT_RIGHT);
    }
}
