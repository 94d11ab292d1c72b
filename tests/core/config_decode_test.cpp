// The configuration reply: what decoding it writes into the windows, in order, and where a bad
// field stops it.
#include "core/config_decode.h"
#include "core/text.h"
#include "support/actions.h"
#include "support/board_presets.h"

#include <QtTest>

using namespace corvane;
using controls::Applied;

namespace {

// A board's reply with every field filled in; rows change one or two fields.
QStringList defaultFields() {
    return {"1920",
            "1080",
            "4000",
            "30",
            "1280",
            "720",
            "2000",
            "60", // 1-8
            "IPST:192.168.0.245",
            "30",
            "25",
            "0",
            "4",
            "1",
            "2",
            "1",
            "2", // 9-17
            "0",
            "0",
            "1",
            "1920",
            "1080",
            "8000",
            "60",
            "30", // 18-25
            "1280",
            "720",
            "4000",
            "30",
            "25",
            "3",
            "1", // 26-32
            "192.168.0.1",
            "1500",
            "10.0.0.11",
            "10.0.0.12",
            "5004",
            "5006", // 33-38
            "239.0.0.11",
            "239.0.0.12",
            "10.0.0.20",
            "1",
            "Y",
            "E",
            "4",
            "4", // 39-46
            "U",
            "M",
            "S",
            "255.255.255.0"}; // 47-50
}

std::string frameOf(const QStringList& fields) {
    std::string body;
    for (const QString& f : fields)
        body += f.toStdString() + "$";
    const std::string digits =
        QString::number(body.size() + 7).rightJustified(3, '0').toStdString();
    return "A3" + digits + "08" + body;
}

// "12=17 13=-1": field overrides on the default reply; "50-" cuts the reply before field 50.
std::string replyWith(const QString& changes) {
    QStringList fields = defaultFields();
    for (const QString& change : changes.split(' ', Qt::SkipEmptyParts)) {
        if (change.endsWith('-')) {
            fields = fields.mid(0, change.chopped(1).toInt() - 1);
            continue;
        }
        const auto eq = change.indexOf('=');
        fields[change.left(eq).toInt() - 1] = change.mid(eq + 1);
    }
    return frameOf(fields);
}

} // namespace

class ConfigDecodeTest : public QObject {
    Q_OBJECT

private slots:
    void wholeReplyInOrder();
    void fields_data();
    void fields();
    void fieldSplitting();
};

// The order of the writes is what makes the handlers of the check boxes send what they send.
void ConfigDecodeTest::wholeReplyInOrder() {
    const Applied a = config::decodeConf(replyWith(""), flagsOf("full N N"));
    QVERIFY(a.ok());
    QCOMPARE(QString::fromStdString(controls::describe(a)),
             "RTP11_IP='10.0.0.11'; RTP12_IP='10.0.0.12'; RTP11_Port='5004'; RTP12_Port='5006'; "
             "RTP11_M='239.0.0.11'; RTP12_M='239.0.0.12'; UDPRSIPB='10.0.0.20'; "
             "FixCheck:on; MovCheck:off; UDPRSB:on; CEFEC:on; LFEC='4'; DFEC='4'; FECP='50'; "
             "mode='S'; PARTP^'RTSP'; AutoDetect:on; RTP11_S=0; RTP12_S=1; MTUB='1500'; "
             "S1I=0; ch11={sdi}; S2I=4; ch12={analog}; ERec1:on; ERec2:on; "
             "Res1=0; Gop1='30'; Bit1='4000'; fps1='30'; Res2=1; Gop2='60'; Bit2='2000'; "
             "ipb='192.168.0.245'; gwp='192.168.0.1'; fps2='25'; SubB='255.255.255.0'; "
             "AutStart:off; Efmt1=0; S1Aud:off; S2Aud:on; Efmt2=1; CBR11B:on; VBR12B:on; "
             "RecRes1=0; RecGop1='60'; RecBit1='8000'; Recfps1='30'; "
             "RecRes2=1; RecGop2='30'; RecBit2='4000'; Recfps2='25'; keepalive");
}

void ConfigDecodeTest::fields_data() {
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QString>("board");
    QTest::addColumn<QString>("watch");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const char* changes, const char* board, const char* watch,
                  const char* expected) {
        QTest::newRow(name) << changes << board << watch << expected;
    };
    // Resolutions
    row("576 lines, width 720: 720 x 576", "1=720 2=576", "full N N", "Res1", "Res1=2");
    row("576 lines, width 704: 704 x 576", "5=704 6=576", "full N N", "Res2", "Res2=7");
    row("336 lines: 448 x 336", "2=336", "full N N", "Res1", "Res1=8");
    row("1088 lines leave Res1", "2=1088", "full N N", "Res1", "");
    row("recording 500 lines; 576 width ignored", "21=1 22=500 27=336", "full N N",
        "RecRes1 RecRes2", "RecRes1=3");
    // Sensor inputs, full board
    row("-1 is input code 0", "12=-1", "full N N", "S1I ch11", "S1I=0; ch11={sdi}");
    row("hex 17: PAL BAR, analog", "12=17", "full S N", "S1I ch11", "S1I=6; ch11={analog}");
    row("hex 18: NTSC BAR", "13=18", "full N N", "S2I ch12", "S2I=7; ch12={analog}");
    row("19 (No Sensor): nothing selected, still analog", "12=19", "full S N", "S1I ch11",
        "ch11={analog}");
    row("full board keeps the HDMI flag", "12=2", "full H N", "S1I ch11", "S1I=2; ch11={sdi,hdmi}");
    row("1080P50 and HDMI codes are not on the full list", "12=20 13=6", "full N N",
        "S1I S2I ch11 ch12", "ch11={analog}; ch12={analog}");
    row("decimal 17 and 19 name no input", "12=11 13=13", "full N N", "S1I S2I ch11 ch12",
        "ch11={analog}; ch12={analog}");
    // Sensor inputs, small board: flags unchanged
    row("HD SDI module: 20 is 1080P50", "12=20", "small S N", "S1I ch11", "S1I=5");
    row("HD SDI module: 19 is No Sensor", "12=19", "small S N", "S1I ch11", "S1I=4");
    row("HD SDI module: 4 is position 4", "12=4", "small S N", "S1I", "S1I=4");
    row("HD SDI module: 6 selects nothing", "12=6", "small S N", "S1I", "S1I=-1");
    row("HDMI module: 6 is 1080P60, 4 leaves it", "12=6 13=4", "small H H", "S1I S2I", "S1I=0");
    row("analog module: 17 is PAL BAR", "13=17", "small N A", "S1I S2I", "S2I=2");
    row("HD SDI module: decimal 19 selects nothing", "12=13", "small S N", "S1I", "S1I=-1");
    row("analog and HDMI modules: decimal 17 and 19 leave them", "12=11 13=13", "small A H",
        "S1I S2I", "");
    row("HD SDI steps before HDMI ones", "12=6 13=2", "small H S", "S1I S2I", "S2I=2; S1I=0");
    row("no module: nothing", "12=0 13=0", "small N N", "S1I S2I ch11 ch12", "");
    row("bad hex input code", "13=4G", "full N N", "S2I", "!'4G' is not a valid integer value");
    // FEC
    row("L 3 D 7: 47", "45=3 46=7", "full N N", "FECP", "FECP='47'");
    row("L 10 D 20: 15", "45=10 46=20", "full N N", "FECP", "FECP='15'");
    row("empty L leaves FECP", "45=", "full N N", "LFEC FECP", "LFEC=''");
    row("L 0 leaves FECP and goes on", "45=0", "full N N", "FECP keepalive", "keepalive");
    row("only E checks FEC", "44=e", "full N N", "CEFEC", "CEFEC:off");
    row("bad L: addresses and FEC written, nothing after", "45=x4", "full N N",
        "UDPRSIPB LFEC DFEC FECP mode keepalive",
        "UDPRSIPB='10.0.0.20'; LFEC='x4'; DFEC='4'; !'x4' is not a valid integer value");
    // Texts and codes
    row("MTU cut to four characters", "34=15000", "full N N", "MTUB", "MTUB='1500'");
    row("MTU of three", "34=576", "full N N", "MTUB", "MTUB='576'");
    row("ipb skips five characters", "9=xxxxx10.0.0.5", "full N N", "ipb", "ipb='10.0.0.5'");
    row("only U is unicast", "47=u 48=U", "full N N", "RTP11_S RTP12_S", "RTP11_S=1; RTP12_S=0");
    row("mode X: stored, caption kept", "49=X", "full N N", "mode PARTP", "mode='X'");
    row("mode R", "49=R", "full N N", "mode PARTP", "mode='R'; PARTP^'RTP 11 + RTP 12'");
    row("camera 2: moving", "42=2", "full N N", "FixCheck MovCheck", "FixCheck:off; MovCheck:on");
    row("camera 7, UDPRS x: nothing", "42=7 43=x", "full N N", "FixCheck MovCheck UDPRSB", "");
    row("recording 0 leaves the boxes", "31=0", "full N N", "ERec1 ERec2", "");
    row("recording 2: stream 12 only", "31=2", "full N N", "ERec1 ERec2", "ERec1:off; ERec2:on");
    row("auto-detection 0: Error aid", "32=0", "full N N", "AutoDetect Panel5",
        "Panel5='Error aid'");
    row("auto start lights the lamp", "18=2", "full N N", "AutStart streaming lamp",
        "AutStart:on; streaming; lamp=green");
    row("encoder 0 and 3 leave the lists", "14=0 15=3", "full N N", "Efmt1 Efmt2", "");
    row("rate control 2 selects VBR", "16=2", "full N N", "CBR11B VBR11B", "VBR11B:on");
    row("leading zeros dropped", "3=04000", "full N N", "Bit1", "Bit1='4000'");
    // Errors and short replies
    row("bad integer: nothing changes", "3=4k", "full N N", "Bit1 RTP11_IP keepalive",
        "!'4k' is not a valid integer value");
    row("empty integer field", "20=", "full N N", "S2Aud", "!'' is not a valid integer value");
    row("short reply: missing texts applied empty", "44-", "full N N",
        "CEFEC LFEC mode RTP12_S SubB keepalive",
        "CEFEC:off; LFEC=''; mode=''; RTP12_S=1; SubB=''; keepalive");
    row("reply cut inside the integers", "20-", "full N N", "keepalive",
        "!'' is not a valid integer value");
}

void ConfigDecodeTest::fields() {
    QFETCH(QString, changes);
    QFETCH(QString, board);
    QFETCH(QString, watch);
    QFETCH(QString, expected);
    QCOMPARE(watched(config::decodeConf(replyWith(changes), flagsOf(board)), watch), expected);
}

void ConfigDecodeTest::fieldSplitting() {
    QCOMPARE(text::splitFields("a$$b$tail", 4), (std::vector<std::string>{"a", "", "b", ""}));
    // A frame too short to hold a body decodes as fifty empty fields.
    QCOMPARE(QString::fromStdString(config::decodeConf("A3", flagsOf("full N N")).error),
             "'' is not a valid integer value");
}

QTEST_GUILESS_MAIN(ConfigDecodeTest)
#include "config_decode_test.moc"
