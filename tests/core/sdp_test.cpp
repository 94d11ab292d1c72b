// Session descriptions for the RTP streams: the file each button writes and its exact lines.
#include "core/sdp.h"

#include "support/view_text.h"

#include <QtTest>

using namespace corvane;
using controls::ConfigView;
using controls::Ctl;
using variant::Channel;

namespace {

// The RTP dialog and main window as an operator might leave them; rows change one or two things.
ConfigView rtpView() {
    ConfigView v;
    v[Ctl::ipb].text = "192.168.0.245";
    v[Ctl::Efmt1].index = 0;
    v[Ctl::Efmt2].index = 1;
    v[Ctl::RTP11_S].index = 0;
    v[Ctl::RTP12_S].index = 1;
    v[Ctl::RTP11_IP].text = "192.168.0.20";
    v[Ctl::RTP12_IP].text = "192.168.0.21";
    v[Ctl::RTP11_Port].text = "1234";
    v[Ctl::RTP12_Port].text = "7080";
    v[Ctl::RTP11_M].text = "225.1.1.1";
    v[Ctl::RTP12_M].text = "239.0.0.12";
    return v;
}

// The lines joined by "|", each checked to end in CR LF; "-" when no file is written.
QString fileOf(const ConfigView& v, int stream) {
    const auto file = sdp::sdpFile(v, stream == 11 ? Channel::Ch11 : Channel::Ch12);
    if (!file)
        return "-";
    QString text = QString::fromStdString(file->text);
    if (!text.endsWith("\r\n"))
        return "no CR LF at the end";
    text.chop(2);
    const QStringList lines = text.split("\r\n");
    for (const QString& l : lines)
        if (l.contains('\r') || l.contains('\n'))
            return "stray line break in " + l;
    return QString::fromStdString(file->name) + ": " + lines.join('|');
}

} // namespace

class SdpTest : public QObject {
    Q_OBJECT

private slots:
    void files_data();
    void files();
    void changesBetweenClicks_data();
    void changesBetweenClicks();
};

void SdpTest::files_data() {
    QTest::addColumn<QString>("changes");
    QTest::addColumn<int>("stream");
    QTest::addColumn<QString>("expected");
    QTest::newRow("11 unicast, H.264")
        << "" << 11
        << "11.sdp: v=0|o=- 0 0 IN IP4 192.168.0.245|s=11|c=IN IP4 0.0.0.0|t=0 0|"
           "a=tool:libavformat 54.62.100|a=transform:1,0,0;0,1,0;0,0,1|a=control:trackID=0|"
           "m=video 1234 RTP/AVP 96|a=rtpmap:96 H264/90000|"
           "a=fmtp:96 profile-space=0;profile-id=1;tier-flag=0;level-id=0";
    QTest::newRow("11 multicast, H.265")
        << "RTP11_S=1 Efmt1=1" << 11
        << "11M.sdp: v=0|o=- 0 0 IN IP4 225.1.1.1|s=11|c=IN IP4 225.1.1.1|t=0 0|"
           "a=tool:libavformat 54.62.100|a=transform:1,0,0;0,1,0;0,0,1|a=control:trackID=0|"
           "m=video 1234 RTP/AVP 98|a=rtpmap:98 H265/90000|"
           "a=fmtp:98 profile-space=0;profile-id=1;tier-flag=0;level-id=0";
    QTest::newRow("12 multicast, H.265")
        << "" << 12
        << "12M.sdp: v=0|o=- 0 0 IN IP4 239.0.0.12|s=12|c=IN IP4 239.0.0.12|t=0 0|"
           "a=tool:libavformat 54.62.100|a=transform:1,0,0;0,1,0;0,0,1|a=control:trackID=0|"
           "m=video 7080 RTP/AVP 98|a=rtpmap:98 H265/90000|"
           "a=fmtp:98 profile-space=0;profile-id=1;tier-flag=0;level-id=0";
    QTest::newRow("12 unicast, H.264")
        << "RTP12_S=0 Efmt2=0" << 12
        << "12.sdp: v=0|o=- 0 0 IN IP4 192.168.0.245|s=12|c=IN IP4 0.0.0.0|t=0 0|"
           "a=tool:libavformat 54.62.100|a=transform:1,0,0;0,1,0;0,0,1|a=control:trackID=0|"
           "m=video 7080 RTP/AVP 96|a=rtpmap:96 H264/90000|"
           "a=fmtp:96 profile-space=0;profile-id=1;tier-flag=0;level-id=0";
    // Texts go in as they are, unchecked; the destination address is never named.
    QTest::newRow("empty and odd texts unchecked")
        << "ipb='' RTP11_Port='12a4' RTP11_IP='10.9.9.9'" << 11
        << "11.sdp: v=0|o=- 0 0 IN IP4 |s=11|c=IN IP4 0.0.0.0|t=0 0|"
           "a=tool:libavformat 54.62.100|a=transform:1,0,0;0,1,0;0,0,1|a=control:trackID=0|"
           "m=video 12a4 RTP/AVP 96|a=rtpmap:96 H264/90000|"
           "a=fmtp:96 profile-space=0;profile-id=1;tier-flag=0;level-id=0";
    QTest::newRow("no encoder format: no file") << "Efmt1=-1" << 11 << "-";
    QTest::newRow("no session type: no file") << "RTP12_S=-1" << 12 << "-";
    QTest::newRow("stream 11's lists do not count for 12")
        << "Efmt1=-1 RTP11_S=-1 RTP12_S=0" << 12
        << "12.sdp: v=0|o=- 0 0 IN IP4 192.168.0.245|s=12|c=IN IP4 0.0.0.0|t=0 0|"
           "a=tool:libavformat 54.62.100|a=transform:1,0,0;0,1,0;0,0,1|a=control:trackID=0|"
           "m=video 7080 RTP/AVP 98|a=rtpmap:98 H265/90000|"
           "a=fmtp:98 profile-space=0;profile-id=1;tier-flag=0;level-id=0";
}

void SdpTest::files() {
    QFETCH(QString, changes);
    QFETCH(int, stream);
    QFETCH(QString, expected);
    ConfigView v = rtpView();
    changeView(v, changes);
    QCOMPARE(fileOf(v, stream), expected);
}

// Switching the encoder format changes lines 9 to 11 and nothing else; switching the session
// type changes the name and lines 2 and 4.
void SdpTest::changesBetweenClicks_data() {
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QString>("differing");
    QTest::newRow("format") << "Efmt1=1"
                            << "9 10 11";
    QTest::newRow("session type") << "RTP11_S=1"
                                  << "name 2 4";
    QTest::newRow("destination address") << "RTP11_IP='1.1.1.1'"
                                         << "";
}

void SdpTest::changesBetweenClicks() {
    QFETCH(QString, changes);
    QFETCH(QString, differing);
    ConfigView v = rtpView();
    const auto before = sdp::sdpFile(v, Channel::Ch11);
    changeView(v, changes);
    const auto after = sdp::sdpFile(v, Channel::Ch11);
    QVERIFY(before && after);
    QStringList diff;
    if (before->name != after->name)
        diff << "name";
    const QStringList a = QString::fromStdString(before->text).split("\r\n");
    const QStringList b = QString::fromStdString(after->text).split("\r\n");
    QCOMPARE(a.size(), 12); // eleven lines and the empty text after the last CR LF
    QCOMPARE(b.size(), 12);
    for (int i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            diff << QString::number(i + 1);
    QCOMPARE(diff.join(' '), differing);
}

QTEST_GUILESS_MAIN(SdpTest)
#include "sdp_test.moc"
