// The window program: takes no arguments and reads ZURIREV.ini.
#include "QtUiHooks.h"
#include "TForm1.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallQtUiHooks();
    Form1 = new TForm1();
    if (!Form1->StartFailed()) Form1->show();
    QApplication::exec();
    delete Form1;
    Form1 = nullptr;
    // Also after a failed start.
    return 0;
}
