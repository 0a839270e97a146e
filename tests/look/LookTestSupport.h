#pragma once
// Shared pieces of the look tests: the application object, a form with the main window's
// controls, and pixel reading from grabbed widgets.
#include "LookColors.h"
#include "TControlSubClass.h"
#include "TLookStyler.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

// One QApplication for the whole test program, with a fixed style and palette so that the
// system colours are known.
class LookApplication : public ::testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "look_test";
        static char* argv[] = {name, nullptr};
        QApplication::setStyle(QStringLiteral("Fusion"));
        app_ = new QApplication(argc, argv);
        QPalette palette = QApplication::style()->standardPalette();
        palette.setColor(QPalette::Button, QColor(212, 208, 200));
        palette.setColor(QPalette::Window, QColor(212, 208, 200));
        palette.setColor(QPalette::Highlight, QColor(10, 36, 106));
        palette.setColor(QPalette::Dark, QColor(128, 128, 128));
        palette.setColor(QPalette::Base, QColor(255, 255, 255));
        palette.setColor(QPalette::WindowText, QColor(0, 0, 0));
        palette.setColor(QPalette::ButtonText, QColor(0, 0, 0));
        palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
        QApplication::setPalette(palette);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

  private:
    QApplication* app_ = nullptr;
};

inline const bool lookEnvironmentRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new LookApplication);
    return true;
}();

// The main window's controls and layout: memo, bottom panel without bevel holding three
// labels, two buttons, two edits and a check box, and a status bar.
class TestMainForm : public QWidget {
  public:
    TestMainForm() {
        resize(498, 308);
        Memo = new QPlainTextEdit(this);
        Panel1 = new QFrame(this);
        Panel1->setFrameShape(QFrame::NoFrame);
        Panel1->setFixedHeight(61);
        StatusBar1 = new QStatusBar(this);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(Memo, 1);
        layout->addWidget(Panel1);
        layout->addWidget(StatusBar1);
        Label1 = new QLabel(QStringLiteral("Bid Link - (Blank=All)"), Panel1);
        Label1->move(6, 10);
        Label2 = new QLabel(QStringLiteral("- or -"), Panel1);
        Label2->move(42, 24);
        Label3 = new QLabel(QStringLiteral("Since Month (MM)"), Panel1);
        Label3->move(12, 37);
        btnGrabit = new QPushButton(QStringLiteral("Get Bid Data"), Panel1);
        btnGrabit->setGeometry(415, 6, 75, 25);
        Button2 = new QPushButton(QStringLiteral("Exit"), Panel1);
        Button2->setGeometry(415, 33, 75, 25);
        ebxBidLink = new QLineEdit(Panel1);
        ebxBidLink->setGeometry(109, 6, 125, 21);
        ebxMMYY = new QLineEdit(Panel1);
        ebxMMYY->setGeometry(109, 33, 60, 21);
        cbxODBCError = new QCheckBox(QStringLiteral("Oracle ODBC Select"), Panel1);
        cbxODBCError->setGeometry(244, 30, 161, 25);
    }
    QPlainTextEdit* Memo;
    QFrame* Panel1;
    QStatusBar* StatusBar1;
    QLabel *Label1, *Label2, *Label3;
    QPushButton *btnGrabit, *Button2;
    QLineEdit *ebxBidLink, *ebxMMYY;
    QCheckBox* cbxODBCError;

    QList<QWidget*> Decorated() const {
        return {Memo, Panel1, btnGrabit, Button2, ebxBidLink, ebxMMYY, cbxODBCError};
    }
    QList<QWidget*> Undecorated() const { return {StatusBar1, Label1, Label2, Label3}; }
};

inline TControlSubClass* RecordOf(const QWidget* w) {
    return TControlSubClass::HandlerOf(w);
}

// The colour of one pixel of a widget as it paints itself now.
inline TColor PixelAt(QWidget* w, int x, int y) {
    const QImage image = w->grab().toImage();
    return FromQColor(QColor::fromRgb(image.pixel(x, y)));
}

inline std::string Hex(TColor c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06X", c);
    return buf;
}
