#pragma once
// The process-wide registry of looks. It picks one current look, decorates every other form
// with it at the next application event, hands controls over when the current look goes, and
// paints flat popup frames on request of menu painting.
//
// The hook on the application's main message window is an application-wide event filter: it
// sees every form being created (QEvent::Create of a top-level widget: the insertion
// notification) and every event posted to the application object, which is where the private
// messages MsgPopupFrameByItem and MsgPopupFrameByWindow arrive and where queued forms are
// decorated. Queuing a form posts a wake-up event to the application object, so the
// decoration happens at the next turn of the event loop, after the form's constructor.
#include <QEvent>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include "LookTypes.h"

class TLookStyler;

// A private application message: event type MsgPopupFrameByItem or MsgPopupFrameByWindow.
class TLookMessage : public QEvent {
  public:
    TLookMessage(int message, int wParam, QObject* lParam)
        : QEvent(static_cast<QEvent::Type>(message)), WParam(wParam), LParam(lParam) {}
    int WParam;
    QPointer<QObject> LParam;
};

class TLookManager : public QObject {
    Q_OBJECT
  public:
    // The one manager, or none.
    static TLookManager* Instance();
    // Creates the manager if none exists.
    static TLookManager* Ensure();
    // Destroys the manager (and its application hook) when no look is registered.
    static void ReleaseIfUnused();

    void Register(TLookStyler* look);
    void Unregister(TLookStyler* look);
    void ChooseCurrent(TLookStyler* excluded);
    TLookStyler* FindEligible(TLookStyler* excluded) const;
    void QueueUndecoratedForms();
    void RestoreForm(QWidget* form);
    void OnComponentNotification(QObject* component, int operation);
    // Handles one application event; never consumes it.
    void OnAppMessage(QEvent* message);
    // Posts a popup frame request unless one of either kind is still queued.
    void PostPopupFrame(int message, int wParam, QObject* lParam);

    QList<QPointer<TLookStyler>> Looks;
    QList<QPointer<QWidget>> DecoratedForms;
    QList<QPointer<QWidget>> PendingForms;
    QPointer<TLookStyler> Current;

    // The event type that wakes the manager to decorate queued forms.
    static int WakeEvent();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TLookManager();
    ~TLookManager() override;
    bool IsDecorated(const QWidget* form) const;
    void Wake();
    bool wakePosted_ = false;
    bool framePosted_ = false;
};
