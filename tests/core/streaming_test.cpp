// Starting and stopping the stream and the streaming controls: what each sends and changes, in
// order.
#include "core/streaming.h"

#include <QtTest>

using namespace corvane;
using controls::Ctl;

namespace {

// "CEFEC ERRFEC L=4 D=4 S1Aud": checked boxes by name, the FEC L and D texts after "=".
controls::ConfigView viewOf(const QString& boxes) {
    controls::ConfigView v;
    for (const QString& item : boxes.split(' ', Qt::SkipEmptyParts)) {
        const auto eq = item.indexOf('=');
        if (eq < 0) {
            v[*controls::byName(item.toStdString())].checked = true;
            continue;
        }
        const Ctl ctl = item.startsWith('L') ? Ctl::LFEC : Ctl::DFEC;
        v[ctl].text = item.mid(eq + 1).toStdString();
    }
    return v;
}

controls::ConfigView captionView(const QString& caption) {
    controls::ConfigView v;
    v[Ctl::PARTP].text = caption.toStdString();
    return v;
}

QString described(const plan::Plan& p) {
    return QString::fromStdString(plan::describe(p));
}

} // namespace

class StreamingTest : public QObject {
    Q_OBJECT

private slots:
    void startAndStop_data();
    void startAndStop();
    void menuItems();
    void modeCycle();
    void camera_data();
    void camera();
    void recordIndicator_data();
    void recordIndicator();
};

void StreamingTest::startAndStop_data() {
    QTest::addColumn<bool>("start");
    QTest::addColumn<bool>("streaming");
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("expected");
    const char* stopTail =
        "disable(CEFEC) disable(ERRFEC) A50206<CR> StreamingOn=0 lamp=grey Panel9='' "
        "enable(LFEC) enable(DFEC) enable(FECP)";
    QTest::newRow("start: the stream is shown only once the board has confirmed it")
        << true << false << "CEFEC L=4 D=4"
        << "A50205<CR> W ?confirmed enable(CEFEC) enable(ERRFEC) StreamingOn=1 lamp=green "
           "disable(LFEC) disable(DFEC) disable(FECP)";
    QTest::newRow("start while streaming: only the message") << true << true << ""
                                                             << "!'Stream Already Start '";
    QTest::newRow("stop with no FEC box checked: only the stop command")
        << false << true << "L=4 D=4" << QString(stopTail);
    QTest::newRow("stop with both boxes: FEC Error, then FEC, each sent once more and cleared")
        << false << true << "CEFEC ERRFEC L=4 D=4"
        << QString("A50388Y4<CR> ~100 ERRFEC:off A50787E4L4D%%%%%%<CR> ~100 CEFEC:off ") + stopTail;
    QTest::newRow("stop with FEC Error only")
        << false << true << "ERRFEC L=12 D=3"
        << QString("A50388Y12<CR> ~100 ERRFEC:off ") + stopTail;
    QTest::newRow("stop with FEC only, values as they are now")
        << false << true << "CEFEC L=10 D=5"
        << QString("A50887E10L5D%%%%%%<CR> ~100 CEFEC:off ") + stopTail;
    QTest::newRow("stop with unframeable FEC values: named, the stop goes on")
        << false << true << "CEFEC L=" + QString(50, '1') + " D=" + QString(50, '2')
        << "!'FEC L '" + QString(50, '1') + "' and FEC D '" + QString(50, '2') +
               "' are too long to send to the board' CEFEC:off " + stopTail;
    QTest::newRow("stop while not streaming: only the message")
        << false << false << "CEFEC ERRFEC L=4 D=4"
        << "!'Stream Already Stop '";
}

void StreamingTest::startAndStop() {
    QFETCH(bool, start);
    QFETCH(bool, streaming);
    QFETCH(QString, view);
    QFETCH(QString, expected);
    const plan::Plan p = start ? streaming::planStartStream(streaming)
                               : streaming::planStopStream(viewOf(view), streaming);
    QCOMPARE(described(p), expected);
}

void StreamingTest::menuItems() {
    using frames::Stream;
    QCOMPARE(described(streaming::planStartRtp(Stream::S11, true)), "A50280<CR>");
    QCOMPARE(described(streaming::planStartRtp(Stream::S12, true)), "A50284<CR>");
    QCOMPARE(described(streaming::planStartRtp(Stream::S11, false)),
             "!'Please Start Stream First '");
    QCOMPARE(described(streaming::planStartRtp(Stream::S12, false)),
             "!'Please Start Stream First '");
}

void StreamingTest::modeCycle() {
    // Five clicks from "RTSP" end on "RTP 11"; the fourth comes back to "RTSP" with "S".
    QStringList seen;
    QString caption = "RTSP";
    for (int i = 0; i < 5; ++i) {
        const plan::Plan p = streaming::planModePanel(captionView(caption));
        seen << described(p);
        caption = QString::fromStdString(streaming::nextStreamMode(caption.toStdString())->caption);
    }
    QCOMPARE(seen, QStringList({"PARTP^'RTP 11' mode='A'", "PARTP^'RTP 12' mode='B'",
                                "PARTP^'RTP 11 + RTP 12' mode='R'", "PARTP^'RTSP' mode='S'",
                                "PARTP^'RTP 11' mode='A'"}));
    QCOMPARE(described(streaming::planModePanel(captionView("Rtsp"))), "");
    QCOMPARE(described(streaming::planModePanel(captionView(""))), "");
}

void StreamingTest::camera_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Fixed checked alone") << "FixCheck" << true << "FixCheck"
                                         << "A503861<CR> ~100";
    QTest::newRow("Moving checked alone") << "MovCheck" << true << "MovCheck"
                                          << "A503862<CR> ~100";
    QTest::newRow("Moving while Fixed is checked: Fixed cleared first")
        << "MovCheck" << true << "FixCheck MovCheck"
        << "FixCheck:off A503862<CR> ~100";
    QTest::newRow("Fixed while Moving is checked: Moving cleared first")
        << "FixCheck" << true << "FixCheck MovCheck"
        << "MovCheck:off A503861<CR> ~100";
    QTest::newRow("Fixed cleared: none") << "FixCheck" << false << ""
                                         << "A503860<CR> ~100";
    QTest::newRow("Moving cleared: none") << "MovCheck" << false << "FixCheck"
                                          << "A503860<CR> ~100";
    QTest::newRow("IAD checked") << "AutoDetect" << true << ""
                                 << "A503731<CR> ~100";
    QTest::newRow("IAD cleared") << "AutoDetect" << false << ""
                                 << "A503732<CR> ~100";
}

void StreamingTest::camera() {
    QFETCH(QString, box);
    QFETCH(bool, checked);
    QFETCH(QString, view);
    QFETCH(QString, expected);
    const plan::Plan p =
        box == "AutoDetect"
            ? streaming::planAutoDetect(checked)
            : streaming::planCameraBox(*controls::byName(box.toStdString()), checked, viewOf(view));
    QCOMPARE(described(p), expected);
}

void StreamingTest::recordIndicator_data() {
    QTest::addColumn<int>("lamp");
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("expected");
    const int grey = int(controls::Lamp::Grey), green = int(controls::Lamp::Green),
              red = int(controls::Lamp::Red);
    QTest::newRow("green, both audio: record, red") << green << "S1Aud S2Aud"
                                                    << "A503461<CR> lamp=red";
    QTest::newRow("green, stream 12 audio off: message")
        << green << "S1Aud"
        << "!'Please Change Audio to On in Both Channels , Before Start Recording  '";
    QTest::newRow("green, no audio: message")
        << green << ""
        << "!'Please Change Audio to On in Both Channels , Before Start Recording  '";
    QTest::newRow("red: stop recording, green") << red << ""
                                                << "A503462<CR> lamp=green";
    QTest::newRow("grey: nothing") << grey << "S1Aud S2Aud"
                                   << "";
}

void StreamingTest::recordIndicator() {
    QFETCH(int, lamp);
    QFETCH(QString, view);
    QFETCH(QString, expected);
    QCOMPARE(described(streaming::planRecordPress(controls::Lamp(lamp), viewOf(view))), expected);
}

QTEST_APPLESS_MAIN(StreamingTest)
#include "streaming_test.moc"
