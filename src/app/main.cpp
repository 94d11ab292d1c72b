#include "app/windows.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    auto windows = createWindows();
    windows->Form1->show();
    return app.exec();
}
