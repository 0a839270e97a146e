#include "LookKinds.h"

#include "LookTypes.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTextEdit>
#include <QToolBox>
#include <QVariant>

int LookTag(const QObject* object) {
    if (!object) return 0;
    return object->property("Tag").toInt();
}

void SetLookTag(QObject* object, int tag) {
    if (object) object->setProperty("Tag", tag);
}

namespace {

// The flat one-pixel box of an edit kind without the 3-D edge.
void SetFlatBox(QFrame* frame) {
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(1);
}

} // namespace

QByteArray TypeName(const QObject* object) {
    return object ? QByteArray(object->metaObject()->className()) : QByteArray();
}

bool IsForm(const QObject* object) {
    const auto* w = qobject_cast<const QWidget*>(object);
    if (!w || !w->isWindow() || qobject_cast<const QMenu*>(w)) return false;
    const Qt::WindowType type = w->windowType();
    return type == Qt::Window || type == Qt::Dialog || type == Qt::Sheet || type == Qt::Tool;
}

bool IsPanel(const QObject* object) {
    const auto* frame = qobject_cast<const QFrame*>(object);
    if (!frame || frame->isWindow()) return false;
    return !qobject_cast<const QLabel*>(frame) && !qobject_cast<const QAbstractScrollArea*>(frame) &&
           !qobject_cast<const QSplitter*>(frame) && !qobject_cast<const QStackedWidget*>(frame) &&
           !qobject_cast<const QToolBox*>(frame) && !qobject_cast<const QLCDNumber*>(frame);
}

bool IsSingleLineEdit(const QObject* object) {
    return qobject_cast<const QLineEdit*>(object) != nullptr;
}

bool IsMemo(const QObject* object) {
    return qobject_cast<const QTextEdit*>(object) || qobject_cast<const QPlainTextEdit*>(object);
}

bool IsEditKind(const QObject* object) {
    return IsSingleLineEdit(object) || IsMemo(object);
}

bool IsCheckBox(const QObject* object) {
    return qobject_cast<const QCheckBox*>(object) != nullptr;
}

bool IsPushButton(const QObject* object) {
    return qobject_cast<const QPushButton*>(object) != nullptr;
}

bool IsPopupMenuComponent(const QObject* object) {
    const auto* menu = qobject_cast<const QMenu*>(object);
    if (!menu) return false;
    for (QObject* user : menu->menuAction()->associatedObjects())
        if (qobject_cast<QMenu*>(user) || qobject_cast<QMenuBar*>(user)) return false;
    return true;
}

QWidget* EffectiveContainer(const QWidget* control) {
    QWidget* parent = control ? control->parentWidget() : nullptr;
    while (parent && !parent->isWindow() &&
           (TypeName(parent) == "QWidget" || qobject_cast<QDialogButtonBox*>(parent)))
        parent = parent->parentWidget();
    return parent;
}

bool IsOnForm(const QWidget* control, const QWidget* form) {
    return control && form && (control == form || form->isAncestorOf(control));
}

namespace {

void CollectOwned(const QObject* container, QList<QObject*>& out) {
    for (QObject* child : container->children()) {
        // A container being destroyed lists its children already deleted as null.
        if (!child) continue;
        out.append(child);
        const auto* w = qobject_cast<const QWidget*>(child);
        if ((w && w->isWindow()) || qobject_cast<const QMenu*>(child) || qobject_cast<const QMenuBar*>(child))
            continue;
        CollectOwned(child, out);
    }
}

} // namespace

QList<QObject*> OwnedComponents(const QObject* container) {
    QList<QObject*> out;
    if (container) CollectOwned(container, out);
    return out;
}

bool GetCtl3D(const QWidget* edit) {
    if (const auto* line = qobject_cast<const QLineEdit*>(edit)) return line->hasFrame();
    if (const auto* frame = qobject_cast<const QFrame*>(edit))
        return frame->frameShape() != QFrame::NoFrame && frame->frameShadow() == QFrame::Sunken;
    return false;
}

void SetCtl3D(QWidget* edit, bool on) {
    if (auto* line = qobject_cast<QLineEdit*>(edit)) {
        // A frameless line edit gets its flat one-pixel border from the edit painter.
        if (line->hasFrame() != on) line->setFrame(on);
        return;
    }
    auto* frame = qobject_cast<QFrame*>(edit);
    if (!frame || frame->frameShape() == QFrame::NoFrame || GetCtl3D(frame) == on) return;
    if (on)
        frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    else
        SetFlatBox(frame);
}

TBorderStyle GetBorderStyle(const QWidget* edit) {
    if (const auto* line = qobject_cast<const QLineEdit*>(edit)) return line->hasFrame() ? bsSingle : bsNone;
    if (const auto* frame = qobject_cast<const QFrame*>(edit))
        return frame->frameShape() == QFrame::NoFrame ? bsNone : bsSingle;
    return bsNone;
}

void SetBorderStyle(QWidget* edit, TBorderStyle style) {
    if (GetBorderStyle(edit) == style) return;
    if (auto* line = qobject_cast<QLineEdit*>(edit)) {
        line->setFrame(style == bsSingle);
    } else if (auto* frame = qobject_cast<QFrame*>(edit)) {
        if (style == bsNone)
            frame->setFrameStyle(QFrame::NoFrame);
        else
            SetFlatBox(frame);
    }
}

TPanelBevels ReadPanelBevels(const QWidget* panel) {
    TPanelBevels bevels;
    const auto* frame = qobject_cast<const QFrame*>(panel);
    if (!frame) return bevels;
    if (frame->frameShape() != QFrame::NoFrame) {
        if (frame->frameShadow() == QFrame::Sunken)
            bevels.Outer = bvLowered;
        else if (frame->frameShadow() == QFrame::Raised)
            bevels.Outer = bvRaised;
    }
    bevels.BevelWidth = std::max(1, frame->lineWidth());
    const int inner = frame->property("BevelInner").toInt();
    if (inner >= bvNone && inner <= bvSpace) bevels.Inner = static_cast<TPanelBevel>(inner);
    bevels.BorderWidth = std::max(0, frame->property("BorderWidth").toInt());
    return bevels;
}
