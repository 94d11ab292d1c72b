// The recording and RTP dialogs: their controls, showing and closing, and the recording
// resolution that follows the stream's sensor input when the operator picks it.
#include "app/windows.h"
#include "core/variant.h"
#include "support/board_lists.h"
#include "support/operator.h"
#include "support/program.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace cv = corvane::variant;

namespace {

// The text of the label that names a control.
QString labelOf(QWidget* dialog, QWidget* control) {
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->buddy() == control)
            return label->text();
    return QString();
}

// A field of the dialogs: its name, the label the operator reads and its group's title.
struct Field {
    QString name;
    QString label;
    QString group;
};

// Every control of a dialog tells assistive technology what it is: edits and buttons by their
// label or caption as name; lists and group boxes by their purpose as description (their name is
// what they show); labels by their text. The named controls stand with their labels in their
// groups.
void checkFields(QDialog* dialog, const QList<Field>& fields) {
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPushButton*>(w))
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        if (qobject_cast<QComboBox*>(w) || qobject_cast<QGroupBox*>(w))
            QVERIFY2(!w->accessibleDescription().isEmpty(), qPrintable(w->objectName()));
        if (auto* label = qobject_cast<QLabel*>(w))
            QVERIFY2(!label->text().isEmpty(), qPrintable(w->objectName()));
    }
    for (const Field& f : fields) {
        auto* control = child<QWidget>(dialog, f.name);
        QCOMPARE(labelOf(dialog, control), f.label);
        QCOMPARE(qobject_cast<QComboBox*>(control) ? control->accessibleDescription()
                                                   : control->accessibleName(),
                 f.label);
        auto* group = qobject_cast<QGroupBox*>(control->parentWidget());
        QVERIFY2(group, qPrintable(f.name));
        QCOMPARE(group->title(), f.group);
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            QCOMPARE(edit->text(), QString());
        if (auto* list = qobject_cast<QComboBox*>(control))
            QCOMPARE(list->currentIndex(), -1);
    }
}

using Program = RunningProgram;

const QStringList kRecResolutions{"1920 x 1080", "1280 x 720", "720 x 576",
                                  "720 x 500",   "640 x 480",  "320 x 240"};

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { quietPopupWarnings(); }

    void recordingDialogControls() {
        Program p;
        TForm3* form3 = p.w->Form3;
        QCOMPARE(form3->objectName(), QStringLiteral("TForm3"));
        QCOMPARE(form3->windowTitle(), QStringLiteral("Recording Configuration "));
        const QString g1 = "Recording Sensor 1 Stream 11", g2 = "Recording Sensor 2 Stream 12";
        checkFields(form3, {{"RecRes1", "Resolution", g1},
                            {"RecBit1", "Bit Rate (kbps)", g1},
                            {"RecGop1", "GOP", g1},
                            {"Recfps1", "Frame Rate (fps)", g1},
                            {"RecRes2", "Resolution", g2},
                            {"RecBit2", "Bit Rate (kbps)", g2},
                            {"RecGop2", "GOP", g2},
                            {"Recfps2", "Frame Rate (fps)", g2}});
        QCOMPARE(child<QGroupBox>(form3, "GroupBox1")->title(), g1);
        QCOMPARE(child<QGroupBox>(form3, "GroupBox2")->title(), g2);
        QCOMPARE(items(child<QComboBox>(form3, "RecRes1")), kRecResolutions);
        QCOMPARE(items(child<QComboBox>(form3, "RecRes2")), kRecResolutions);
        QCOMPARE(child<QPushButton>(form3, "BitBtn2")->text(), QStringLiteral("Close"));
        // The accessors are the named controls.
        QCOMPARE(child<QComboBox>(form3, "RecRes2"), child<QComboBox>(form3, "RecRes2"));
        QCOMPARE(child<QLineEdit>(form3, "Recfps1"), child<QLineEdit>(form3, "Recfps1"));
        QCOMPARE(child<QLineEdit>(form3, "RecBit2"), child<QLineEdit>(form3, "RecBit2"));
        QCOMPARE(child<QLineEdit>(form3, "RecGop1"), child<QLineEdit>(form3, "RecGop1"));
    }

    void rtpDialogControls() {
        Program p;
        TForm5* form5 = p.w->Form5;
        QCOMPARE(form5->objectName(), QStringLiteral("TForm5"));
        QCOMPARE(form5->windowTitle(), QStringLiteral("RTP Configuration"));
        checkFields(form5, {{"RTP11_S", "Session Type", "RTP Stream 11"},
                            {"RTP11_IP", "Destination IP", "RTP Stream 11"},
                            {"RTP11_Port", "Input Port", "RTP Stream 11"},
                            {"RTP11_M", "Multicast IP", "RTP Stream 11"},
                            {"RTP12_S", "Session Type", "RTP Stream 12"},
                            {"RTP12_IP", "Destination IP", "RTP Stream 12"},
                            {"RTP12_Port", "Input Port", "RTP Stream 12"},
                            {"RTP12_M", "Multicast IP", "RTP Stream 12"}});
        QCOMPARE(items(child<QComboBox>(form5, "RTP11_S")), (QStringList{"Unicast", "Multicast"}));
        QCOMPARE(items(child<QComboBox>(form5, "RTP12_S")), (QStringList{"Unicast", "Multicast"}));
        QCOMPARE(child<QLineEdit>(form5, "RTP12_M"), child<QLineEdit>(form5, "RTP12_M"));
        QCOMPARE(child<QLineEdit>(form5, "RTP11_Port"), child<QLineEdit>(form5, "RTP11_Port"));
        for (const char* name : {"BitBtn3", "BitBtn4"}) {
            auto* sdp = child<QPushButton>(form5, name);
            QCOMPARE(sdp->text(), QStringLiteral("Create SDP File"));
            QCOMPARE(sdp->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
        }
        QCOMPARE(child<QWidget>(form5, "BitBtn3")->parentWidget(),
                 child<QWidget>(form5, "GroupBox1"));
        QCOMPARE(child<QWidget>(form5, "BitBtn4")->parentWidget(),
                 child<QWidget>(form5, "GroupBox2"));
        auto* advice = child<QLabel>(form5, "StaticText1");
        QCOMPARE(advice->text(), QStringLiteral("Multicast IP must be in the range : 224.0.0.0  "
                                                "-  239.255.255.255"));
        QCOMPARE(advice->textFormat(), Qt::PlainText);
        QCOMPARE(child<QPushButton>(form5, "BitBtn2")->text(), QStringLiteral("Close"));
    }

    // Both dialogs open centred without blocking the main window; "Close" hides them and every
    // value stays, also values the operator typed that no check would accept.
    void showAndClose_data() {
        QTest::addColumn<QString>("dialog");
        QTest::newRow("recording") << "TForm3";
        QTest::newRow("RTP") << "TForm5";
    }
    void showAndClose() {
        QFETCH(QString, dialog);
        Program p;
        QDialog* d = dialog == "TForm3" ? static_cast<QDialog*>(p.w->Form3)
                                        : static_cast<QDialog*>(p.w->Form5);
        if (dialog == "TForm3")
            p.w->Form3->showCentred();
        else
            p.w->Form5->showCentred();
        QVERIFY(d->isVisible());
        QVERIFY(!d->isModal());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY2((d->frameGeometry().center() - centre).manhattanLength() <= 1,
                 qPrintable(QString("frame centred at %1,%2")
                                .arg(d->frameGeometry().center().x())
                                .arg(d->frameGeometry().center().y())));
        QVERIFY(p.w->Form1->isEnabled());

        QList<QLineEdit*> edits = d->findChildren<QLineEdit*>();
        QList<QComboBox*> lists = d->findChildren<QComboBox*>();
        QVERIFY(edits.size() == 6 || edits.size() == 8);
        QCOMPARE(lists.size(), 2);
        for (int i = 0; i < edits.size(); ++i)
            edits[i]->setText(i % 2 ? "239.255.255.256" : "");
        edits[0]->setText("abc");
        lists[0]->setCurrentIndex(1);
        QTest::mouseClick(child<QPushButton>(d, "BitBtn2"), Qt::LeftButton);
        QVERIFY(!d->isVisible());
        QCOMPARE(edits[0]->text(), QStringLiteral("abc"));
        for (int i = 1; i < edits.size(); ++i)
            QCOMPARE(edits[i]->text(), QString(i % 2 ? "239.255.255.256" : ""));
        QCOMPARE(lists[0]->currentIndex(), 1);
        QCOMPARE(lists[1]->currentIndex(), -1);
        // Shown again, the values are still there.
        d->show();
        QCOMPARE(edits[0]->text(), QStringLiteral("abc"));
        QCOMPARE(lists[0]->currentIndex(), 1);
    }

    // Picking a recording resolution applies the floor of the stream's own selected input to that
    // list alone.
    void recordingResolutionFollowsTheInput_data() {
        QTest::addColumn<QString>("board");
        QTest::addColumn<int>("stream");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("otherInput");
        QTest::addColumn<QList<int>>("expected"); // after picking 0..5 in turn

        const QList<int> all{0, 1, 2, 3, 4, 5};
        QTest::newRow("720p60: 1920 x 1080 snaps back, 640 x 480 stays")
            << "full" << 11 << "HD SDI 720P60"
            << "Analog NTSC BAR" << QList<int>{1, 1, 2, 3, 4, 5};
        QTest::newRow("NTSC on stream 12") << "full" << 12 << "Analog NTSC 480P60"
                                           << "HD SDI 1080P60" << QList<int>{3, 3, 3, 3, 4, 5};
        QTest::newRow("PAL bar") << "full" << 11 << "Analog PAL BAR"
                                 << "" << QList<int>{2, 2, 2, 3, 4, 5};
        QTest::newRow("1080p: every resolution") << "full" << 11 << "HD SDI 1080P60"
                                                 << "Analog NTSC 480P60" << all;
        QTest::newRow("No Sensor: every resolution") << "full" << 12 << "No Sensor"
                                                     << "Analog NTSC 480P60" << all;
        QTest::newRow("no input selected") << "full" << 11 << ""
                                           << "HD SDI 720P30" << all;
        QTest::newRow("small HDMI 720p30 whatever stream 12 shows")
            << "small H A" << 11 << "HDMI 720P30"
            << "Analog NTSC BAR" << QList<int>{1, 1, 2, 3, 4, 5};
        QTest::newRow("small SDI 720p on stream 12")
            << "small A S" << 12 << "HD SDI 720P60"
            << "Analog NTSC BAR" << QList<int>{1, 1, 2, 3, 4, 5};
        QTest::newRow("small analog NTSC") << "small A N" << 11 << "Analog NTSC 480P60"
                                           << "" << QList<int>{3, 3, 3, 3, 4, 5};
        QTest::newRow("small SDI 1080P50: no floor") << "small S S" << 11 << "HD SDI 1080P50"
                                                     << "HD SDI 720P60" << all;
        QTest::newRow("small, no module on the stream") << "small A N" << 12 << "No Sensor"
                                                        << "Analog NTSC 480P60" << all;
    }
    void recordingResolutionFollowsTheInput() {
        QFETCH(QString, board);
        QFETCH(int, stream);
        QFETCH(QString, input);
        QFETCH(QString, otherInput);
        QFETCH(QList<int>, expected);
        Program p;
        TForm1& form1 = *p.w->Form1;
        setInputs(form1, board, stream == 11 ? input : otherInput,
                  stream == 11 ? otherInput : input);
        const cv::BoardFlags flags = form1.Board;
        TForm3* form3 = p.w->Form3;
        form3->showCentred();
        QComboBox* rec =
            stream == 11 ? child<QComboBox>(form3, "RecRes1") : child<QComboBox>(form3, "RecRes2");
        QComboBox* otherRec =
            stream == 11 ? child<QComboBox>(form3, "RecRes2") : child<QComboBox>(form3, "RecRes1");
        auto* res = child<QComboBox>(&form1, stream == 11 ? "Res1" : "Res2");
        res->setCurrentIndex(0);
        otherRec->setCurrentIndex(0);

        QList<int> got;
        for (int r = 0; r < kRecResolutions.size(); ++r) {
            rec->setCurrentIndex(-1);
            pick(rec, r);
            got << rec->currentIndex();
        }
        QCOMPARE(got, expected);
        // Nothing else moves: the stream's resolution, the other recording list, the frame
        // rates and the flags.
        QCOMPARE(res->currentIndex(), 0);
        QCOMPARE(otherRec->currentIndex(), 0);
        QCOMPARE(child<QLineEdit>(form3, "Recfps1")->text(), QString());
        QCOMPARE(child<QLineEdit>(form3, "Recfps2")->text(), QString());
        QVERIFY(form1.Board == flags);
    }

    // Selecting a recording resolution from code, as the configuration reader does, applies no
    // floor.
    void codeSelectionOfTheRecordingResolution() {
        Program p;
        setInputs(*p.w->Form1, "full", "Analog NTSC 480P60", "HD SDI 720P30");
        p.w->Form3->showCentred();
        child<QComboBox>(p.w->Form3, "RecRes1")->setCurrentIndex(0);
        child<QComboBox>(p.w->Form3, "RecRes2")->setCurrentIndex(0);
        QCOMPARE(child<QComboBox>(p.w->Form3, "RecRes1")->currentIndex(), 0);
        QCOMPARE(child<QComboBox>(p.w->Form3, "RecRes2")->currentIndex(), 0);
        // The operator picks the item already shown: now the floor applies.
        pick(child<QComboBox>(p.w->Form3, "RecRes1"), 0);
        pick(child<QComboBox>(p.w->Form3, "RecRes2"), 0);
        QCOMPARE(child<QComboBox>(p.w->Form3, "RecRes1")->currentIndex(), 3);
        QCOMPARE(child<QComboBox>(p.w->Form3, "RecRes2")->currentIndex(), 1);
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
