#pragma once
// Runs a window test class on one offscreen screen of a given size: the offscreen platform takes
// its screens from a file named in the platform's options.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

template <typename Test>
int runOnScreen(int argc, char** argv, const QString& name, int width, int height) {
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    const QByteArray screens =
        QStringLiteral(R"({"screens": [{"name": "%1", "x": 0, "y": 0, "width": %2,)"
                       R"( "height": %3, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
            .arg(name)
            .arg(width)
            .arg(height)
            .toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(screens) < 0)
        qFatal("cannot write %s", qPrintable(config));
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}
