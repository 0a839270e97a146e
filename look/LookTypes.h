#pragma once
// Shared vocabulary of the flat look: colour values, the container and control sets, the
// private message numbers and the Tag property.
#include <cstdint>

class QObject;

// 0x00BBGGRR is an explicit colour; 0xFF0000nn is system colour nn, resolved when used.
using TColor = std::uint32_t;

constexpr TColor clSystemColor = 0xFF000000u;
constexpr TColor clInactiveCaption = 0xFF000003u; // COLOR_INACTIVECAPTION
constexpr TColor clWindow = 0xFF000005u;          // COLOR_WINDOW
constexpr TColor clMenuText = 0xFF000007u;        // COLOR_MENUTEXT
constexpr TColor clWindowText = 0xFF000008u;      // COLOR_WINDOWTEXT
constexpr TColor clHighlight = 0xFF00000Du;       // COLOR_HIGHLIGHT
constexpr TColor clBtnFace = 0xFF00000Fu;         // COLOR_BTNFACE
constexpr TColor clBtnShadow = 0xFF000010u;       // COLOR_BTNSHADOW
constexpr TColor clWhite = 0xFFFFFFu;
constexpr TColor clSilver = 0xC0C0C0u;
constexpr TColor clGray = 0x808080u;
constexpr TColor clBlack = 0x000000u;

enum TLookContainer : std::uint8_t {
    lccForm,
    lccFrame,
    lccToolbar,
    lccCoolbar,
    lccControlbar,
    lccPanel,
    lccScrollBox,
    lccGroupBox,
    lccTabSheet,
    lccPageScroller
};

enum TLookControl : std::uint8_t {
    lcMainMenu,
    lcPopupMenu,
    lcToolbar,
    lcControlbar,
    lcCombo,
    lcListBox,
    lcEdit,
    lcMaskEdit,
    lcMemo,
    lcRichEdit,
    lcMiscEdit,
    lcCheckBox,
    lcRadioButton,
    lcButton,
    lcBitBtn,
    lcSpeedButton,
    lcUpDown,
    lcPanel,
    lcGroupBox,
    lcTreeView,
    lcListView,
    lcProgressBar,
    lcHotKey,
    lcStringGrid
};

// A small set: member k is bit k; Count members in all.
template <typename E, int Count> class TLookSet {
  public:
    constexpr TLookSet() = default;
    constexpr explicit TLookSet(std::uint32_t bits) : bits_(bits & Mask()) {}
    static constexpr TLookSet All() { return TLookSet(Mask()); }
    constexpr bool Contains(E e) const { return (bits_ >> static_cast<int>(e)) & 1u; }
    constexpr TLookSet With(E e) const { return TLookSet(bits_ | (1u << static_cast<int>(e))); }
    constexpr TLookSet Without(E e) const { return TLookSet(bits_ & ~(1u << static_cast<int>(e))); }
    constexpr std::uint32_t Bits() const { return bits_; }
    constexpr bool operator==(const TLookSet&) const = default;

  private:
    static constexpr std::uint32_t Mask() { return (1u << Count) - 1u; }
    std::uint32_t bits_ = 0;
};

using TLookContainers = TLookSet<TLookContainer, 10>; // all ten = 1023
using TLookControls = TLookSet<TLookControl, 24>;     // all 24 = 0xFFFFFF

// Private application messages posted by menu painting and handled by the look manager. They
// are used as Qt event types, so the numbers lie in the user event range.
constexpr int MsgPopupFrameByItem = 0xBCB3;   // 48307
constexpr int MsgPopupFrameByWindow = 0xBCB4; // 48308

// Tag: a 32-bit integer on every component, read by the look. In Qt it is the dynamic
// property "Tag" of any QObject (absent = 0). 999 opts a control, its children, a main
// menu item or a form out of decoration; 1000 gives a push button a face lighter than its parent.
int LookTag(const QObject* object);
void SetLookTag(QObject* object, int tag);
