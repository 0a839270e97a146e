#pragma once
// The flat frame of popup menu windows: PaintPopupFrame puts the hook on a popup and gives it
// its region (the window mask); the hook's PopupFrameProc paints the frame at every paint of the
// popup and takes itself off when the popup hides, closes or goes.
//
// The frame is drawn into the whole window over what the popup painted, and copies the popup's
// own pixels (row 3 into rows 1 and 2): they are read back from the surface that the window's
// painter draws on (the window's backing store, or the image of a grab).
#include <QObject>
#include <QPointer>
#include <QWidget>

class TLookStyler;

class TPopupFrameHook : public QObject {
    Q_OBJECT
  public:
    TPopupFrameHook(QWidget* popup, TLookStyler* look, bool rightToLeft);
    // The hook installed on a popup window, if any.
    static TPopupFrameHook* HookOf(const QWidget* popup);

    // The popup window's message procedure.
    bool PopupFrameProc(QEvent* event);
    // Paints the frame over the popup; called inside its paint event, after the popup's own.
    void PaintFrame();

    QPointer<TLookStyler> Look;
    bool RightToLeft = false;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Remove();
    QPointer<QWidget> popup_;
};

// Gives a popup window the look's flat frame; nothing while another frame is being painted.
void PaintPopupFrame(TLookStyler* look, QWidget* popup, bool rightToLeft);
