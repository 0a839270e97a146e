#pragma once
// How the look sees Qt widgets: the kinds of the control and parent tables, the 3-D edge and
// border style of edit kinds, and the components a container owns.
#include <QList>

class QObject;
class QWidget;
class QMenu;

// The class name as the meta-object reports it ("QPushButton", or a custom class name).
QByteArray TypeName(const QObject* object);

bool IsForm(const QObject* object);               // a top-level window that is not a popup or menu
bool IsPanel(const QObject* object);              // a QFrame used as a container
bool IsSingleLineEdit(const QObject* object);     // QLineEdit or a descendant
bool IsMemo(const QObject* object);               // QTextEdit, QPlainTextEdit or a descendant
bool IsEditKind(const QObject* object);           // single-line edit or memo
bool IsCheckBox(const QObject* object);           // QCheckBox or a descendant
bool IsPushButton(const QObject* object);         // QPushButton or a descendant
bool IsPopupMenuComponent(const QObject* object); // a QMenu that is not a sub-menu of a menu or bar

// The container a control sits in for the parent table: the parent widget, skipping plain
// QWidget and QDialogButtonBox, which only lay out a form's client area (a main window's central
// widget, a message box's button row).
QWidget* EffectiveContainer(const QWidget* control);

// True when control is form or lies inside it.
bool IsOnForm(const QWidget* control, const QWidget* form);

// Components owned by a container, in ownership order: its descendants depth first, not
// descending into windows (owned forms, popup menus) and menus.
QList<QObject*> OwnedComponents(const QObject* container);

// Edit kinds: the 3-D edge (Ctl3D) is the sunken frame; border style "none" is no frame at all.
// A line edit's frame is on or off; a text area's frame is sunken (3-D), a flat box, or none.
enum TBorderStyle : unsigned char { bsNone = 0, bsSingle = 1 };
bool GetCtl3D(const QWidget* edit);
void SetCtl3D(QWidget* edit, bool on);
TBorderStyle GetBorderStyle(const QWidget* edit);
void SetBorderStyle(QWidget* edit, TBorderStyle style);

// Panel bevels: the outer bevel follows the frame (no frame or plain: none; sunken: lowered;
// raised: raised), BevelWidth is the line width. The inner bevel and BorderWidth, which a QFrame
// lacks, are the dynamic properties "BevelInner" (0 none, 1 lowered, 2 raised, 3 space) and
// "BorderWidth" (default 0).
enum TPanelBevel : unsigned char { bvNone, bvLowered, bvRaised, bvSpace };
struct TPanelBevels {
    TPanelBevel Outer = bvNone, Inner = bvNone;
    int BevelWidth = 1, BorderWidth = 0;
};
TPanelBevels ReadPanelBevels(const QWidget* panel);
