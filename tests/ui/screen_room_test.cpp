// The main window on a screen with room for all of it: it opens at its whole size, status bar
// included, and the form shows whole, with no scroll bar. The offscreen platform is given a
// 1920 x 1080 screen.
#include "app/windows.h"
#include "support/program.h"

#include <QApplication>
#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

class ScreenRoomTest : public QObject {
    Q_OBJECT
private slots:
    void wholeWindowWhereThereIsRoom() {
        RunningProgram p;
        TForm1* f = p.f;
        QVERIFY(QTest::qWaitForWindowExposed(f));
        auto* scroll = f->findChild<QScrollArea*>("FormScroll");
        QVERIFY(scroll);
        QVERIFY(f->statusBar()->isVisible());
        QVERIFY(!scroll->verticalScrollBar()->isVisible());
        QVERIFY(!scroll->horizontalScrollBar()->isVisible());
        QCOMPARE(scroll->viewport()->size(), scroll->widget()->size());
    }
};

// The offscreen platform takes its screens from a file named in the platform's options.
int main(int argc, char** argv) {
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920,
                       "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
        qFatal("cannot write %s", qPrintable(config));
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    ScreenRoomTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "screen_room_test.moc"
