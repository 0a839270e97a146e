// Runs one export in the window and saves a picture of it: ferrocan-screenshot FILE.png
// [MONTH]. Built on demand only; the README's screenshot comes from it.
#include "QtUiHooks.h"
#include "TForm1.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QThread>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: ferrocan-screenshot FILE.png [MONTH]\n");
        return 1;
    }
    QApplication app(argc, argv);
    InstallQtUiHooks();
    TForm1 form;
    if (form.StartFailed()) return 2;
    if (argc > 2) form.ebxMMYY->setText(QString::fromLocal8Bit(argv[2]));
    form.show();
    QApplication::processEvents();
    form.btnGrabit->click();
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
    return form.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 3;
}
