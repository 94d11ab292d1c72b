// Numeric and address boxes mark, as the operator types, a text that cannot be right: a red frame,
// a tooltip saying what is accepted, and the same in the accessible description. Nothing else
// changes: the text stays as typed.
#include "app/windows.h"
#include "support/program.h"

#include <QAccessible>
#include <QImage>
#include <QLineEdit>
#include <QTest>

namespace {

QLineEdit* edit(const RunningProgram& p, const QString& window, const QString& name) {
    QWidget* w = window == "main"        ? static_cast<QWidget*>(p.f)
                 : window == "recording" ? static_cast<QWidget*>(p.w->Form3)
                                         : static_cast<QWidget*>(p.w->Form5);
    return child<QLineEdit>(w, name.toLatin1().constData());
}

// Whether the box's frame is painted red: the middle of its left edge, as drawn now.
bool framedRed(QLineEdit* e) {
    const QImage image = e->grab().toImage();
    const QColor c = image.pixelColor(1, image.height() / 2);
    return c.red() > 180 && c.green() < 60 && c.blue() < 60;
}

QString description(QLineEdit* e) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(e);
    return iface ? iface->text(QAccessible::Description) : QString();
}

} // namespace

class ValueMarksTest : public QObject {
    Q_OBJECT
private slots:
    void wrongTextIsMarkedWhileTyped_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QString>("wrong");
        QTest::addColumn<QString>("accepted");
        const QString address = "An IPv4 address: four numbers from 0 to 255 joined by dots, "
                                "such as 192.168.1.10.";
        QTest::newRow("stream bit rate") << "main"
                                         << "Bit1"
                                         << "4000"
                                         << "40000k"
                                         << "A whole number from 1 to 99999, in digits only.";
        QTest::newRow("MTU") << "main"
                             << "MTUB"
                             << "1400"
                             << "9000"
                             << "A whole number from 100 to 1500 (a larger one is sent as 1500), "
                                "in digits only.";
        QTest::newRow("recording bit rate") << "recording"
                                            << "RecBit2"
                                            << "800"
                                            << "8"
                                            << "A whole number from 10 to 99999, in digits only.";
        QTest::newRow("RTP port") << "rtp"
                                  << "RTP11_Port"
                                  << "5004"
                                  << "70000"
                                  << "A whole number from 1 to 65535, in digits only.";
        QTest::newRow("static IP") << "main"
                                   << "ipb"
                                   << "192.168.0.245"
                                   << "192.168.0.300" << address;
        QTest::newRow("RTP destination") << "rtp"
                                         << "RTP12_IP"
                                         << "10.0.0.9"
                                         << "10.0.0" << address;
        QTest::newRow("subnet mask") << "main"
                                     << "SubB"
                                     << "255.255.0.0"
                                     << "255.0.255.0"
                                     << "A subnet mask: four numbers from 0 to 255 joined by dots "
                                        "whose bits are ones, then zeros, such as 255.255.255.0.";
        QTest::newRow("multicast address")
            << "rtp"
            << "RTP12_M"
            << "239.255.42.12"
            << "192.168.0.1"
            << "A multicast address, from 224.0.0.0 to 239.255.255.255.";
    }
    void wrongTextIsMarkedWhileTyped() {
        QFETCH(QString, window);
        QFETCH(QString, box);
        QFETCH(QString, right);
        QFETCH(QString, wrong);
        QFETCH(QString, accepted);
        RunningProgram p;
        QLineEdit* e = edit(p, window, box);
        e->window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(e->window()));

        e->clear();
        QTest::keyClicks(e, right);
        QCOMPARE(e->text(), right);
        QVERIFY(!framedRed(e));
        QCOMPARE(e->toolTip(), QString());
        QCOMPARE(description(e), accepted);

        // Typed on: marked at the first character that cannot be right, nothing refused.
        e->clear();
        QTest::keyClicks(e, wrong);
        QCOMPARE(e->text(), wrong);
        QVERIFY(framedRed(e));
        QCOMPARE(e->toolTip(), accepted);
        QCOMPARE(description(e), "Not accepted. " + accepted);

        // Text written by the program (a read, a file) is marked the same way.
        e->setText(right);
        QVERIFY(!framedRed(e));
        QCOMPARE(e->toolTip(), QString());
        e->setText(wrong);
        QVERIFY(framedRed(e));
        QCOMPARE(p.prompts.texts(), QStringList());
    }

    // An empty box is not wrong yet; boxes without a rule keep their look.
    void emptyAndOtherBoxesStayPlain() {
        RunningProgram p;
        for (const char* name : {"Bit1", "Gop2", "gwp", "UDPRSIPB", "LFEC", "FECP"}) {
            QLineEdit* e = child<QLineEdit>(p.f, name);
            e->clear();
            QVERIFY2(!framedRed(e), name);
            QCOMPARE(e->toolTip(), QString());
        }
    }
};

QTEST_MAIN(ValueMarksTest)
#include "value_marks_test.moc"
