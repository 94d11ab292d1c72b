// Start-up, the UDP dialog and the idle status display of the main window.
#include "app/widgets.h"
#include "app/windows.h"
#include "corvane/buildinfo.h"
#include "support/recorder.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

std::unique_ptr<Windows> startProgram() {
    auto w = createWindows();
    w->Form1->show();
    runEventLoop(0);
    return w;
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void windowsExistWithTheirTitles() {
        PromptRecorder prompts;
        ScopedWorkDir dir;
        auto w = createWindows();
        const QList<QWidget*> order{w->Form1.get(), w->Form2, w->Form3,
                                    w->Form4,       w->Form5, w->Form1->aboutfrm()};
        const QStringList titles{"No Board Configuration",   "UDP Configuration",
                                 "Recording Configuration ", "Board Configuration",
                                 "RTP Configuration",        "About"};
        for (int i = 0; i < order.size(); ++i)
            QCOMPARE(order[i]->windowTitle(), titles[i]);
        w->Form1->show();
        runEventLoop(0);
        for (int i = 1; i < order.size(); ++i)
            QVERIFY2(!order[i]->isVisible(), qPrintable(titles[i]));
    }

    // The caption is painted in fuchsia 10 pt; the controls inside keep the window's colours and
    // font, the disabled look included.
    void streamGroupsShowTheirCaptionInFuchsiaOnly() {
        PromptRecorder prompts;
        ScopedWorkDir dir;
        auto w = createWindows();
        w->Form1->show();
        const QColor fuchsia(255, 0, 255);
        const auto fuchsiaPixels = [&](QWidget* widget, const QRect& area) {
            const QImage image = widget->grab(area).toImage();
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    n += image.pixelColor(x, y) == fuchsia;
            return n;
        };
        for (const char* group : {"GroupBox1", "GroupBox2"}) {
            auto* box = child<CaptionGroupBox>(w->Form1.get(), group);
            QCOMPARE(box->captionFont().pointSize(), 10);
            const int captionHeight = QFontMetrics(box->captionFont()).height() + 4;
            QVERIFY2(fuchsiaPixels(box, QRect(0, 0, box->width(), captionHeight)) > 20, group);
            QCOMPARE(fuchsiaPixels(box, QRect(0, captionHeight, box->width(), box->height())), 0);
            const QPalette app = QApplication::palette();
            for (QWidget* inner : box->findChildren<QWidget*>()) {
                for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                    for (const auto role :
                         {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
                        QVERIFY2(inner->palette().color(group, role) == app.color(group, role),
                                 qPrintable(inner->objectName()));
                QCOMPARE(inner->font(), w->Form1->font());
            }
        }
    }

    void startWithoutSettingsFiles() {
        PromptRecorder prompts;
        ScopedWorkDir dir;
        auto w = startProgram();
        QCOMPARE(prompts.texts(),
                 (QStringList{"No UDP Configuration File", "No Board Configuration File"}));
        for (const auto& m : prompts.messages)
            QCOMPARE(m.title, QStringLiteral("Corvane Control"));
        QCOMPARE(w->Form1->windowTitle(), QStringLiteral("No Board Configuration       ver ") +
                                              QString::fromLatin1(corvane::kVersionText));
        QCOMPARE(w->Form1->AppDir, dir.path());
        QVERIFY(w->Form1->Timer1->isActive());
        QVERIFY(!w->Form1->Timer2->isActive());
        QVERIFY(!w->Form1->Timer3->isActive());
        QCOMPARE(w->Form1->Timer1->interval(), 5000);
        QCOMPARE(w->Form1->Timer2->interval(), 4000);
        QCOMPARE(w->Form1->Timer3->interval(), 6000);
        QCOMPARE(child<QLineEdit>(w->Form2, "SPort")->text(), QStringLiteral("8070"));
        QCOMPARE(child<QLineEdit>(w->Form2, "PortL")->text(), QStringLiteral("6767"));
        QVERIFY(child<QLineEdit>(w->Form2, "PortL")->isReadOnly());
    }

    void udpFileFillsTheDialog_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("edits");
        QTest::newRow("three lines") << QByteArray("10.0.0.2\r\n10.0.0.9\r\n8071\r\n")
                                     << QStringList{"10.0.0.2", "10.0.0.9", "8071"};
        QTest::newRow("two lines leave the port empty")
            << QByteArray("10.0.0.2\r\n10.0.0.9\r\n") << QStringList{"10.0.0.2", "10.0.0.9", ""};
        QTest::newRow("spaces are kept")
            << QByteArray(" a \r\nb\r\n1\r\n") << QStringList{" a ", "b", "1"};
        QTest::newRow("empty file") << QByteArray() << QStringList{"", "", ""};
    }
    void udpFileFillsTheDialog() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, edits);
        PromptRecorder prompts;
        ScopedWorkDir dir;
        dir.write("udpf.ini", file);
        auto w = startProgram();
        QCOMPARE(prompts.texts(), QStringList{"No Board Configuration File"});
        QCOMPARE(child<QLineEdit>(w->Form2, "MyIPL")->text(), edits[0]);
        QCOMPARE(child<QLineEdit>(w->Form2, "CorIPL")->text(), edits[1]);
        QCOMPARE(child<QLineEdit>(w->Form2, "SPort")->text(), edits[2]);
    }

    void unreadableUdpFileIsNamedAndSkipped() {
        PromptRecorder prompts;
        ScopedWorkDir dir;
        QDir().mkdir(dir.file("udpf.ini")); // exists, but cannot be read as a file
        auto w = startProgram();
        QCOMPARE(prompts.messages.size(), 2);
        QVERIFY(prompts.messages[0].text.contains(dir.file("udpf.ini")));
        QCOMPARE(child<QLineEdit>(w->Form2, "SPort")->text(), QStringLiteral("8070"));
    }

    void udpDialogSaveAndCancel() {
        PromptRecorder prompts;
        ScopedWorkDir dir;
        auto w = startProgram();
        auto* panel4 = child<QLabel>(w->Form1.get(), "Panel4");
        w->Form1->Configuration2Click();
        QVERIFY(w->Form2->isVisible());
        QVERIFY(!w->Form2->isModal());
        child<QLineEdit>(w->Form2, "MyIPL")->setText("127.0.0.1");
        child<QLineEdit>(w->Form2, "CorIPL")->setText("127.0.0.2");
        child<QLineEdit>(w->Form2, "SPort")->setText("9000");
        QTest::mouseClick(child<QPushButton>(w->Form2, "Button1"), Qt::LeftButton);
        QVERIFY(!w->Form2->isVisible());
        QCOMPARE(dir.read("udpf.ini"), QByteArray("127.0.0.1\r\n127.0.0.2\r\n9000\r\n"));
        QCOMPARE(panel4->text(), QString());

        // Cancel hides the dialog and keeps the typed text, without touching the file.
        w->Form1->Configuration2Click();
        child<QLineEdit>(w->Form2, "CorIPL")->setText("127.0.0.3");
        QTest::mouseClick(child<QPushButton>(w->Form2, "Button2"), Qt::LeftButton);
        QVERIFY(!w->Form2->isVisible());
        QCOMPARE(child<QLineEdit>(w->Form2, "CorIPL")->text(), QStringLiteral("127.0.0.3"));
        QCOMPARE(dir.read("udpf.ini"), QByteArray("127.0.0.1\r\n127.0.0.2\r\n9000\r\n"));

        // Empty edits write three empty lines.
        for (QLineEdit* e :
             {child<QLineEdit>(w->Form2, "MyIPL"), child<QLineEdit>(w->Form2, "CorIPL"),
              child<QLineEdit>(w->Form2, "SPort")})
            e->clear();
        w->Form2->Button1Click();
        QCOMPARE(dir.read("udpf.ini"), QByteArray("\r\n\r\n\r\n"));
    }

    void udpDialogSaveFailureKeepsDialogOpen() {
        PromptRecorder prompts;
        ScopedWorkDir dir;
        auto w = startProgram();
        prompts.messages.clear();
        w->Form1->AppDir = dir.file("missing-folder");
        w->Form1->Configuration2Click();
        w->Form2->Button1Click();
        QCOMPARE(prompts.messages.size(), 1);
        QVERIFY(w->Form2->isVisible());
    }

    void idleStatusTexts() {
        PromptRecorder prompts;
        ScopedWorkDir dir;
        auto w = startProgram();
        auto* panel4 = child<QLabel>(w->Form1.get(), "Panel4");
        auto* panel5 = child<QLabel>(w->Form1.get(), "Panel5");
        runEventLoop(10);
        QCOMPARE(panel4->text(), QStringLiteral("Not Connected"));
        QCOMPARE(panel5->text(), QString());
        // The panel's click shows what it did: "Streaming" beside a lit lamp, then neither.
        auto* lamp = child<ShapeIndicator>(w->Form1.get(), "Rec1");
        QTest::mouseClick(panel5, Qt::LeftButton);
        QVERIFY(w->Form1->StreamingOn);
        runEventLoop(10);
        QCOMPARE(panel5->text(), QStringLiteral("Streaming"));
        QCOMPARE(lamp->fillColor(), QColor(0, 255, 0));
        QTest::mouseClick(panel5, Qt::LeftButton);
        runEventLoop(10);
        QCOMPARE(panel5->text(), QString());
        QCOMPARE(lamp->fillColor(), QColor(128, 128, 128));
        // A running search keeps its own text in the panel.
        w->Form1->search.active = true;
        panel5->setText("Please Wait Try  3");
        runEventLoop(10);
        QCOMPARE(panel5->text(), QStringLiteral("Please Wait Try  3"));
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
