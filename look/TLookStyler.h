#pragma once
// The look component: published settings, the derived colour table, and the decoration of a
// host form's controls (event-filter records) and menus (owner-draw style proxy).
#include "LookTypes.h"
#include "TLookCanvas.h"

#include <QFont>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class QPaintDevice;
class TControlSubClass;
class TLookMenuStyle;

// Font of menu items with its text colour.
struct TLookFont {
    QFont Font;
    TColor Color = clWindowText;
};

// The colours the painters use, filled by ComputeDerivedColors.
struct TDerivedColors {
    TColor MenuColor = clWhite, IconBack = clBtnFace, Select = clHighlight, SelectBorder = clHighlight,
           SelectFont = clMenuText, SelectLight = clWhite, SelectPressed = clWhite, Checked = clHighlight,
           MenuBar = clBtnFace, Disabled = clBtnShadow, Separator = clBtnShadow, MenuBorder = clBtnShadow,
           MenuShadow = clBtnShadow;
};

// Component notification operations.
enum TOperation { opInsert, opRemove };

class TLookStyler : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(int DimLevel READ DimLevel WRITE SetDimLevel)
    Q_PROPERTY(int GrayLevel READ GrayLevel WRITE SetGrayLevel)
    Q_PROPERTY(uint Color READ Color WRITE SetColor)
    Q_PROPERTY(bool DrawMenuBar READ DrawMenuBar WRITE SetDrawMenuBar)
    Q_PROPERTY(uint IconBackColor READ IconBackColor WRITE SetIconBackColor)
    Q_PROPERTY(uint MenuBarColor READ MenuBarColor WRITE SetMenuBarColor)
    Q_PROPERTY(uint SelectColor READ SelectColor WRITE SetSelectColor)
    Q_PROPERTY(uint SelectBorderColor READ SelectBorderColor WRITE SetSelectBorderColor)
    Q_PROPERTY(uint SelectFontColor READ SelectFontColor WRITE SetSelectFontColor)
    Q_PROPERTY(uint DisabledColor READ DisabledColor WRITE SetDisabledColor)
    Q_PROPERTY(uint SeparatorColor READ SeparatorColor WRITE SetSeparatorColor)
    Q_PROPERTY(uint CheckedColor READ CheckedColor WRITE SetCheckedColor)
    Q_PROPERTY(int IconWidth READ IconWidth WRITE SetIconWidth)
    Q_PROPERTY(bool DrawSelect READ DrawSelect WRITE SetDrawSelect)
    Q_PROPERTY(bool UseSystemColors READ UseSystemColors WRITE SetUseSystemColors)
    Q_PROPERTY(bool UseDimColor READ UseDimColor WRITE SetUseDimColor)
    Q_PROPERTY(bool OverrideOwnerDraw READ OverrideOwnerDraw WRITE SetOverrideOwnerDraw)
    Q_PROPERTY(bool Gradient READ Gradient WRITE SetGradient)
    Q_PROPERTY(bool FlatMenu READ FlatMenu WRITE SetFlatMenu)
    Q_PROPERTY(bool AutoDetect READ AutoDetect WRITE SetAutoDetect)
    Q_PROPERTY(bool DisableSubclassing READ DisableSubclassing WRITE SetDisableSubclassing)

  public:
    // The host form owns the look; it must be a form (a top-level window).
    explicit TLookStyler(QWidget* hostForm);
    ~TLookStyler() override;

    // Published properties.
    bool Active() const { return active_; }
    void SetActive(bool value);
    int DimLevel() const { return dimLevel_; }
    void SetDimLevel(int value) { dimLevel_ = value; }
    int GrayLevel() const { return grayLevel_; }
    void SetGrayLevel(int value) { grayLevel_ = value; }
    const TLookFont& Font() const { return font_; }
    void SetFont(const TLookFont& font);
    TColor Color() const { return color_; }
    void SetColor(TColor c) { StoreColor(color_, c); }
    bool DrawMenuBar() const { return drawMenuBar_; }
    void SetDrawMenuBar(bool value) { drawMenuBar_ = value; }
    TColor IconBackColor() const { return iconBackColor_; }
    void SetIconBackColor(TColor c) { StoreColor(iconBackColor_, c); }
    TColor MenuBarColor() const { return menuBarColor_; }
    void SetMenuBarColor(TColor c);
    TColor SelectColor() const { return selectColor_; }
    void SetSelectColor(TColor c) { StoreColor(selectColor_, c); }
    TColor SelectBorderColor() const { return selectBorderColor_; }
    void SetSelectBorderColor(TColor c) { StoreColor(selectBorderColor_, c); }
    TColor SelectFontColor() const { return selectFontColor_; }
    void SetSelectFontColor(TColor c) { StoreColor(selectFontColor_, c); }
    TColor DisabledColor() const { return disabledColor_; }
    void SetDisabledColor(TColor c) { StoreColor(disabledColor_, c); }
    TColor SeparatorColor() const { return separatorColor_; }
    void SetSeparatorColor(TColor c) { StoreColor(separatorColor_, c); }
    TColor CheckedColor() const { return checkedColor_; }
    void SetCheckedColor(TColor c) { StoreColor(checkedColor_, c); }
    int IconWidth() const { return iconWidth_; }
    void SetIconWidth(int value) { iconWidth_ = value; }
    bool DrawSelect() const { return drawSelect_; }
    void SetDrawSelect(bool value) { drawSelect_ = value; }
    bool UseSystemColors() const { return useSystemColors_; }
    void SetUseSystemColors(bool value);
    bool UseDimColor() const { return useDimColor_; }
    void SetUseDimColor(bool value) { useDimColor_ = value; }
    bool OverrideOwnerDraw() const { return overrideOwnerDraw_; }
    void SetOverrideOwnerDraw(bool value) { overrideOwnerDraw_ = value; }
    bool Gradient() const { return gradient_; }
    void SetGradient(bool value) { gradient_ = value; }
    bool FlatMenu() const { return flatMenu_; }
    void SetFlatMenu(bool value) { flatMenu_ = value; }
    bool AutoDetect() const { return autoDetect_; }
    void SetAutoDetect(bool value) { autoDetect_ = value; }
    TLookContainers LookContainers() const { return lookContainers_; }
    void SetLookContainers(TLookContainers value);
    TLookControls LookControls() const { return lookControls_; }
    void SetLookControls(TLookControls value);
    bool DisableSubclassing() const { return disableSubclassing_; }
    void SetDisableSubclassing(bool value);

    // Registers the look with the manager.
    void RegisterWithManager();
    // ApplyToComponent for every component the container owns, in ownership order.
    void ApplyToContainer(QObject* container, bool activate, bool invalidate);
    // The decoration step for one component.
    void ApplyToComponent(QObject* component, bool activate, bool invalidate);
    // Fills the derived colour table for the display of canvas (its depth); clears ColorsStale.
    void ComputeDerivedColors(const QPaintDevice* canvas);
    // Recomputes the derived colours on the host form when a colour setter marked them stale.
    void RefreshStaleColors();
    // Component inserted into or removed from the host form or the application.
    void Notification(QObject* component, TOperation operation);
    // Draws one caption with the rules for selected, disabled and default items.
    void DrawItemText(QObject* sender, const QString& text, const QString& shortcut, TLookCanvas& canvas,
                      TRect r, bool selected, bool enabled, bool isDefault, bool topLevel, bool rightToLeft,
                      const TLookFont& font, unsigned flags) const;

    QWidget* HostForm() const { return hostForm_; }
    TLookMenuStyle* MenuStyle() const { return menuStyle_; }
    // The records this look owns, in ownership order.
    QList<TControlSubClass*> Records() const;
    // Whether the component passes the control table and its container the parent table.
    bool IsEligible(const QWidget* control) const;

    // Internal state read by the painters.
    bool HighColor = false;
    bool ColorsStale = false;
    bool PaintingPopupFrame = false;
    TDerivedColors Derived;
    int ButtonFaceLighten = 16;
    int ButtonHotLighten = 40;

    // Fault injection for tests: called at the start of every control and menu painter.
    static std::function<void()> PaintProbe;

  private:
    void StoreColor(TColor& field, TColor value);
    template <typename Set> void ReplaceTable(Set& table, Set value);
    void RedrawMenuBar();
    void Attach(QWidget* control);
    void InvalidateControl(QWidget* control);
    void SetOwnerDraw(QWidget* menuWidget, bool on);
    // Owner draw for the menu widget and handlers for its items, sub-menus included.
    void DecorateMenu(QWidget* menuWidget, bool activate);
    void WalkMenuItem(QAction* item, bool activate);

    QPointer<QWidget> hostForm_;
    TLookMenuStyle* menuStyle_ = nullptr;
    bool active_ = false;
    int dimLevel_ = 30, grayLevel_ = 10;
    TLookFont font_;
    TColor color_ = clBtnFace, iconBackColor_ = clBtnFace, menuBarColor_ = clBtnFace,
           selectColor_ = clHighlight, selectBorderColor_ = clHighlight, selectFontColor_ = clWindowText,
           disabledColor_ = clInactiveCaption, separatorColor_ = clBtnFace, checkedColor_ = clHighlight;
    int iconWidth_ = 24;
    bool drawMenuBar_ = false, drawSelect_ = true, useSystemColors_ = true, useDimColor_ = false,
         overrideOwnerDraw_ = false, gradient_ = false, flatMenu_ = false, autoDetect_ = false,
         disableSubclassing_ = false;
    TLookContainers lookContainers_ = TLookContainers::All();
    TLookControls lookControls_ = TLookControls::All();
};

// Menu item handlers live on each QAction as the dynamic properties "OnDrawItem" and
// "OnMeasureItem" (the QObject that handles them; none = the style's own drawing).
QObject* DrawHandlerOf(const QAction* item);
QObject* MeasureHandlerOf(const QAction* item);
