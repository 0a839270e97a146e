#pragma once
// The attachment object the main window creates at start-up: one look owned by the window, set
// to fixed values and registered with the manager. It owns nothing; the look goes with the form.
#include <QWidget>

class TLookStyler;

class TFlatLook {
  public:
    explicit TFlatLook(QWidget* mainWindow);
    ~TFlatLook() = default;
    TFlatLook(const TFlatLook&) = delete;
    TFlatLook& operator=(const TFlatLook&) = delete;

    TLookStyler* Look = nullptr;
};
