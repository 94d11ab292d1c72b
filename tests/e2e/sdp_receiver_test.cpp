// A real RTP receiver accepts the SDP files the program writes: ffmpeg sends a short test stream
// as the board would, ffprobe receives it through the file and names the codec and picture size.
//
// Unicast files are proven on 127.0.0.1. A multicast file is proven only inside a network
// namespace that the test makes for itself (loopback alone, a multicast route on it, TTL 0); where
// no namespace can be made the case is skipped. No test sends to or joins a multicast group on the
// machine's own network. Every process has a time limit.
#include "app/windows.h"
#include "support/program.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QUdpSocket>

#include <unistd.h>

namespace {

// Receives through $SDP with ffprobe while ffmpeg sends to $URL; prints ffprobe's answer. Inside a
// namespace ($NETNS) it first checks that loopback is the only interface, brings it up and routes
// multicast onto it. ffprobe is given time to open its port (seen in /proc/net/udp) before ffmpeg
// starts; each program stops by itself or at its time limit.
// (moc does not read raw string literals, hence the guard.)
#ifndef Q_MOC_RUN
const char* const kReceiverScript = R"sh(
set -u
if [ -n "${NETNS:-}" ]; then
    [ "$(ip -o link show | wc -l)" = 1 ] || { echo "not a namespace of our own" >&2; exit 90; }
    ip link set lo up && ip link set lo multicast on && ip route add 224.0.0.0/4 dev lo || exit 91
fi
timeout 40 ffprobe -v error -protocol_whitelist file,udp,rtp \
    -show_entries stream=codec_name,width,height -of compact=p=0:nk=1 "$SDP" > probe.out 2> probe.err &
probe=$!
hexport=$(printf '%04X' "$PORT")
tries=0
until grep -q ":$hexport " /proc/net/udp; do
    tries=$((tries + 1)); [ $tries -gt 100 ] && { echo "ffprobe opened no port" >&2; kill $probe; exit 92; }
    sleep 0.1
done
timeout 40 ffmpeg -v error -nostdin -re -f lavfi -i testsrc=size=320x240:rate=25 -t 4 \
    -c:v "$ENCODER" -preset ultrafast -g 10 $PARAMS -f rtp -payload_type "$PT" "$URL" > /dev/null 2> send.err
sent=$?
wait $probe
probed=$?
cat probe.out
[ $sent = 0 ] || { echo "ffmpeg failed" >&2; cat send.err >&2; exit 93; }
[ $probed = 0 ] || { echo "ffprobe failed" >&2; cat probe.err >&2; exit 94; }
)sh";
#endif

// A free even UDP port with a free port above it (RTP and RTCP), on every address.
quint16 freePortPair() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        QUdpSocket first;
        if (!first.bind(QHostAddress::AnyIPv4, 0))
            continue;
        const quint16 port = first.localPort() & ~quint16(1);
        first.close();
        QUdpSocket rtp, rtcp;
        if (port > 1024 && port < 65534 && rtp.bind(QHostAddress::AnyIPv4, port) &&
            rtcp.bind(QHostAddress::AnyIPv4, quint16(port + 1)))
            return port;
    }
    return 0;
}

// How to get into a network namespace of our own here, or nothing.
QStringList namespaceCommand() {
    const QStringList command =
        ::geteuid() == 0 ? QStringList{"unshare", "-n"} : QStringList{"unshare", "-rn"};
    QProcess probe;
    probe.start(command[0], command.mid(1) + QStringList{"ip", "link", "set", "lo", "up"});
    if (!probe.waitForFinished(10000)) {
        probe.kill();
        probe.waitForFinished();
        return {};
    }
    return probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0 ? command
                                                                               : QStringList{};
}

} // namespace

class SdpReceiverTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        for (const char* tool : {"ffmpeg", "ffprobe"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP(qPrintable(
                    QString("%1 is not installed (scripts/deps.sh installs it)").arg(tool)));
    }

    void receiverAcceptsTheFile_data() {
        QTest::addColumn<int>("stream");
        QTest::addColumn<bool>("multicast");
        QTest::addColumn<int>("format"); // Efmt position: 0 H.264, 1 H.265
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("codec");
        QTest::newRow("11.sdp, H.264") << 11 << false << 0 << "11.sdp"
                                       << "h264";
        QTest::newRow("12.sdp, H.265") << 12 << false << 1 << "12.sdp"
                                       << "hevc";
        QTest::newRow("11M.sdp, H.265") << 11 << true << 1 << "11M.sdp"
                                        << "hevc";
        QTest::newRow("12M.sdp, H.264") << 12 << true << 0 << "12M.sdp"
                                        << "h264";
    }

    void receiverAcceptsTheFile() {
        QFETCH(int, stream);
        QFETCH(bool, multicast);
        QFETCH(int, format);
        QFETCH(QString, file);
        QFETCH(QString, codec);

        QStringList wrapper;
        quint16 port = 5004;
        const QString group = QStringLiteral("239.255.42.%1").arg(stream);
        if (multicast) {
            wrapper = namespaceCommand();
            if (wrapper.isEmpty())
                QSKIP("no network namespace of our own can be made here (unshare -n / -rn); "
                      "multicast files are proven only inside one");
        } else {
            port = freePortPair();
            QVERIFY(port != 0);
        }

        // The program writes the file as the operator would have it written.
        RunningProgram p;
        const QString s = stream == 11 ? "RTP11_" : "RTP12_";
        child<QLineEdit>(p.f, "ipb")->setText("127.0.0.1");
        child<QComboBox>(p.f, stream == 11 ? "Efmt1" : "Efmt2")->setCurrentIndex(format);
        child<QComboBox>(p.w->Form5, s + "S")->setCurrentIndex(multicast ? 1 : 0);
        child<QLineEdit>(p.w->Form5, s + "Port")->setText(QString::number(port));
        child<QLineEdit>(p.w->Form5, s + "M")->setText(group);
        child<QPushButton>(p.w->Form5, stream == 11 ? "BitBtn3" : "BitBtn4")->click();
        QCOMPARE(p.prompts.texts(), QStringList());
        QVERIFY(QFile::exists(p.dir.file(file)));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SDP", file);
        env.insert("PORT", QString::number(port));
        env.insert("PT", format == 0 ? "96" : "98");
        env.insert("ENCODER", format == 0 ? "libx264" : "libx265");
        // Parameter sets with every key frame, so a receiver that starts late still decodes.
        env.insert("PARAMS", format == 0 ? "-x264-params repeat-headers=1"
                                         : "-x265-params log-level=error:repeat-headers=1");
        env.insert("URL", multicast ? QString("rtp://%1:%2?ttl=0").arg(group).arg(port)
                                    : QString("rtp://127.0.0.1:%1").arg(port));
        if (multicast)
            env.insert("NETNS", "1");

        QProcess receiver;
        receiver.setWorkingDirectory(p.dir.path());
        receiver.setProcessEnvironment(env);
        const QStringList command = wrapper + QStringList{"sh", "-c", kReceiverScript};
        receiver.start(command[0], command.mid(1));
        QVERIFY(receiver.waitForStarted(10000));
        if (!receiver.waitForFinished(90000)) {
            receiver.kill();
            receiver.waitForFinished();
            QFAIL("the receiver did not finish in time");
        }
        const QString out = QString::fromLocal8Bit(receiver.readAllStandardOutput()).trimmed();
        const QString err = QString::fromLocal8Bit(receiver.readAllStandardError());
        QVERIFY2(receiver.exitStatus() == QProcess::NormalExit && receiver.exitCode() == 0,
                 qPrintable(QString("exit %1: %2").arg(receiver.exitCode()).arg(err)));
        QCOMPARE(out, codec + "|320|240");
    }
};

QTEST_MAIN(SdpReceiverTest)
#include "sdp_receiver_test.moc"
