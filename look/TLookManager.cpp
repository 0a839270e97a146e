#include "TLookManager.h"

#include "LookKinds.h"
#include "TControlSubClass.h"
#include "TLookStyler.h"
#include "TPopupFrameHook.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

namespace {

TLookManager* instance = nullptr;
int wakeType = 0;

template <typename T> void Purge(QList<QPointer<T>>& list) {
    list.removeIf([](const QPointer<T>& p) { return p.isNull(); });
}

} // namespace

int TLookManager::WakeEvent() {
    if (wakeType == 0) wakeType = QEvent::registerEventType();
    return wakeType;
}

TLookManager* TLookManager::Instance() {
    return instance;
}

TLookManager* TLookManager::Ensure() {
    if (!instance) instance = new TLookManager();
    return instance;
}

void TLookManager::ReleaseIfUnused() {
    if (!instance) return;
    Purge(instance->Looks);
    if (instance->Looks.isEmpty()) {
        delete instance;
        instance = nullptr;
    }
}

TLookManager::TLookManager() {
    QEvent::registerEventType(MsgPopupFrameByItem);
    QEvent::registerEventType(MsgPopupFrameByWindow);
    if (qApp) qApp->installEventFilter(this);
}

TLookManager::~TLookManager() {
    if (qApp) qApp->removeEventFilter(this);
    // Events still queued for the application must not reach a manager that is gone.
    if (qApp && (wakePosted_ || framePosted_)) {
        QCoreApplication::removePostedEvents(qApp, WakeEvent());
        QCoreApplication::removePostedEvents(qApp, MsgPopupFrameByItem);
        QCoreApplication::removePostedEvents(qApp, MsgPopupFrameByWindow);
    }
}

bool TLookManager::IsDecorated(const QWidget* form) const {
    for (const QPointer<QWidget>& f : DecoratedForms)
        if (f == form) return true;
    return false;
}

void TLookManager::Register(TLookStyler* look) {
    Looks.append(look);
    DecoratedForms.append(look->HostForm());
    if (!Current && look->Active() && !look->DisableSubclassing()) {
        Current = look;
        QueueUndecoratedForms();
    }
}

void TLookManager::Unregister(TLookStyler* look) {
    if (Current == look) ChooseCurrent(look);
    // Without a main form ChooseCurrent keeps Current; a look that goes cannot stay current.
    if (Current == look) Current = nullptr;
    Looks.removeAll(look);
    Purge(Looks);
}

TLookStyler* TLookManager::FindEligible(TLookStyler* excluded) const {
    for (const QPointer<TLookStyler>& look : Looks)
        if (look && look->Active() && !look->DisableSubclassing() && look != excluded) return look;
    return nullptr;
}

void TLookManager::ChooseCurrent(TLookStyler* excluded) {
    TLookStyler* y = FindEligible(excluded);
    QWidget* excludedForm = excluded ? excluded->HostForm() : nullptr;
    if (y && !Current) {
        Current = y;
        QueueUndecoratedForms();
    } else if (y) {
        // Hand-over: the new look takes every record on another form.
        for (TControlSubClass* old : Current->Records()) {
            if (!old->Installed()) continue;
            QWidget* control = old->Control;
            if (excludedForm && IsOnForm(control, excludedForm)) continue;
            auto* record = new TControlSubClass(y);
            record->SavedCtl3D = old->SavedCtl3D;
            record->SavedBorderStyle = old->SavedBorderStyle;
            QPointer<QObject> saved = old->SavedHandler;
            old->RestoreHandler();
            record->Install(control);
            record->SavedHandler = saved;
            record->Look = y;
            control->update();
        }
        Current = y;
    } else {
        PendingForms.clear();
        bool hasMainForm = false;
        for (QWidget* w : QApplication::topLevelWidgets())
            hasMainForm = hasMainForm || IsForm(w);
        if (!hasMainForm) return;
        const QList<QPointer<QWidget>> forms = DecoratedForms;
        for (const QPointer<QWidget>& form : forms)
            if (form && form != excludedForm) RestoreForm(form);
        DecoratedForms.clear();
        Current = nullptr;
    }
}

void TLookManager::RestoreForm(QWidget* form) {
    if (!Current || !form) return;
    const QList<TControlSubClass*> records = Current->Records();
    for (auto it = records.crbegin(); it != records.crend(); ++it) {
        TControlSubClass* record = *it;
        if (record->Installed() && IsOnForm(record->Control, form)) {
            QWidget* control = record->Control;
            record->Restore();
            control->update();
        }
    }
}

void TLookManager::QueueUndecoratedForms() {
    for (QWidget* form : QApplication::topLevelWidgets()) {
        if (!IsForm(form) || IsDecorated(form) || LookTag(form) == 999 ||
            form->findChild<TLookStyler*>(QString(), Qt::FindDirectChildrenOnly))
            continue;
        PendingForms.append(form);
    }
    if (!PendingForms.isEmpty()) Wake();
}

void TLookManager::OnComponentNotification(QObject* component, int operation) {
    if (!Current || !IsForm(component)) return;
    auto* form = static_cast<QWidget*>(component);
    if (operation == opInsert) {
        if (!PendingForms.contains(form)) {
            PendingForms.append(form);
            Wake();
        }
    } else {
        PendingForms.removeAll(form);
        DecoratedForms.removeAll(form);
    }
}

void TLookManager::Wake() {
    if (wakePosted_ || !qApp) return;
    wakePosted_ = true;
    QCoreApplication::postEvent(qApp, new QEvent(static_cast<QEvent::Type>(WakeEvent())));
}

void TLookManager::PostPopupFrame(int message, int wParam, QObject* lParam) {
    if (framePosted_ || !qApp) return;
    framePosted_ = true;
    QCoreApplication::postEvent(qApp, new TLookMessage(message, wParam, lParam));
}

bool TLookManager::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Create && IsForm(watched)) {
        // A form is being created (its constructor is still running): the insertion notice.
        auto* form = static_cast<QWidget*>(watched);
        // One removal notice per form (Qt refuses Qt::UniqueConnection for a lambda); the
        // mark names this manager, so a later manager watches the form again.
        const QByteArray mark = "LookManagerWatch" + QByteArray::number(quintptr(this), 16);
        if (!form->property(mark.constData()).toBool()) {
            form->setProperty(mark.constData(), true);
            connect(form, &QObject::destroyed, this, [this, form] {
                for (const QPointer<TLookStyler>& look : Looks)
                    if (look) look->Notification(form, opRemove);
                PendingForms.removeAll(nullptr);
                DecoratedForms.removeAll(nullptr);
            });
        }
        const QList<QPointer<TLookStyler>> looks = Looks;
        for (const QPointer<TLookStyler>& look : looks)
            if (look) look->Notification(form, opInsert);
        if (looks.isEmpty()) OnComponentNotification(form, opInsert);
    } else if (watched == qApp) {
        OnAppMessage(event);
    }
    return false;
}

void TLookManager::OnAppMessage(QEvent* message) {
    const int type = message->type();
    if (type == MsgPopupFrameByItem || type == MsgPopupFrameByWindow) {
        framePosted_ = false;
        auto* m = static_cast<TLookMessage*>(message);
        if (type == MsgPopupFrameByItem) {
            auto* item = qobject_cast<QAction*>(m->LParam.data());
            QMenu* menu = nullptr;
            if (item)
                for (QObject* user : item->associatedObjects())
                    if (auto* candidate = qobject_cast<QMenu*>(user); candidate && candidate->isVisible())
                        menu = candidate;
            if (menu && Current) {
                const QRect r = menu->actionGeometry(item);
                // Not QRect::center(), which rounds the other way for even sizes.
                const QPoint centre =
                    menu->mapToGlobal(QPoint(r.left() + r.width() / 2, r.top() + r.height() / 2));
                if (QWidget* window = QApplication::topLevelAt(centre))
                    PaintPopupFrame(Current, window, menu->layoutDirection() == Qt::RightToLeft);
            }
        } else if (auto* window = qobject_cast<QWidget*>(m->LParam.data()); window && Current) {
            PaintPopupFrame(Current, window, m->WParam == 1);
        }
    }
    if (type == WakeEvent()) wakePosted_ = false;
    Purge(PendingForms);
    if (PendingForms.isEmpty() || !Current) return;
    try {
        const QList<QPointer<QWidget>> pending = PendingForms;
        for (const QPointer<QWidget>& form : pending) {
            if (!form || IsDecorated(form)) continue;
            // A form marked 999 after its creation opts out here as well.
            if (LookTag(form) == 999) continue;
            DecoratedForms.append(form);
            Current->ApplyToContainer(form, true, true);
        }
        PendingForms.clear();
    } catch (...) {
        // The failing form counts as decorated; the others follow at the next event.
        Wake();
    }
}
