#pragma once
// One decorated control: an event filter that lets the control handle each event first, keeps
// the painting state and paints the look's decoration over the control inside its paint event.
#include "LookKinds.h"
#include "TLookCanvas.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

class QEvent;
class TLookStyler;

class TControlSubClass : public QObject {
    Q_OBJECT
  public:
    // A record owned by the look; Attach installs it.
    explicit TControlSubClass(TLookStyler* owner);
    // A record still installed puts the control's handler and frame back.
    ~TControlSubClass() override;

    // Installs this record as the control's handler, saving the previous one.
    void Install(QWidget* control);
    // Puts SavedHandler back as the control's handler (the record stays).
    void RestoreHandler();
    // Puts SavedHandler back and restores the edit frame; as RestoreForm does.
    void Restore();
    // True while this record is the control's handler.
    bool Installed() const;
    // The look record that currently handles the control's events, if any.
    static TControlSubClass* HandlerOf(const QWidget* control);

    // The record's message procedure: the control's own handling, then state and decoration.
    void InterceptMessage(QEvent* event);
    // Paints the decoration when inside the control's paint event, else requests one.
    void RepaintDecoration();
    void PaintEdit(TLookCanvas& canvas);
    void PaintCheckBox(TLookCanvas& canvas);
    void PaintButton(TLookCanvas& canvas);
    void PaintPanel(TLookCanvas& canvas);

    QPointer<QWidget> Control;
    QPointer<QObject> SavedHandler; // handler before attachment; none = the control's own
    QPointer<TLookStyler> Look;
    bool SavedCtl3D = false;
    TBorderStyle SavedBorderStyle = bsNone;
    bool RebuildPending = false, Hot = false, MouseDown = false, SpaceDown = false, SpaceRepainted = false,
         Focused = false;
    int LastMessage = 0;     // Qt event type of the last event handled while active
    int RepaintRequests = 0; // repaints requested outside a paint event

    // Private events standing for notifications that Qt delivers as signals or calls.
    static int InvalidateEvent();   // the look's repaint request
    static int CheckStateEvent();   // a check box's state changed
    static int ButtonStateEvent();  // a button went down or up
    static int FocusChangedEvent(); // the focus moved within the control's window

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Detach();
    void Forward(int eventType);
    TColor ControlColor() const;
    TColor ParentBackground() const;
    bool installed_ = false;
    bool inPaint_ = false;
};
