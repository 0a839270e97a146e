#include "QtUiHooks.h"

#include "UiHooks.h"

#include <QApplication>
#include <QMessageBox>

#include <chrono>
#include <cstdio>

void PumpQtEvents() {
    using Clock = std::chrono::steady_clock;
    static Clock::time_point last;
    const Clock::time_point now = Clock::now();
    if (now - last < std::chrono::milliseconds(10)) return;
    last = now;
    QCoreApplication::processEvents();
}

void ShowQtMessage(const std::string& Text) {
    std::fprintf(stderr, "%s\n", Text.c_str());
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) return;
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Ferrocan"), QString::fromLocal8Bit(Text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void InstallQtUiHooks() {
    InstallUiHooks(UiHooks{PumpQtEvents, ShowQtMessage});
}
