// "Save Config." and the "Update" buttons as steps: every frame, pause and wait in order, the
// frame-rate check that guards them and the refusals that send nothing.
#include "core/save_plan.h"
#include "support/board_presets.h"
#include "support/view_text.h"

#include <QtTest>

using namespace corvane;
using controls::Ctl;
using save::Update;

namespace {

// The whole configuration with a row's changes ("Bit1=''" empties an edit, "Res1=-1" clears a
// list's selection).
controls::ConfigView viewWith(const QString& changes) {
    return viewOf(QString(kWholeConfiguration) + ' ' + changes);
}

// "streaming B 1 2": StreamingOn, StreamModeLetter, RateMode11, RateMode12 ("-" for an empty
// letter, "idle" for not streaming).
save::SaveState stateOf(const QString& board, const QString& state) {
    const QStringList s = state.split(' ');
    save::SaveState out;
    out.board = flagsOf(board);
    out.streamingOn = s[0] == "streaming";
    out.streamModeLetter = s[1] == "-" ? "" : s[1].toStdString();
    out.rateMode11 = s[2].toInt();
    out.rateMode12 = s[3].toInt();
    return out;
}

QString described(const steps::Steps& steps) {
    return QString::fromStdString(steps::describe(steps)).replace(QChar(0), "<NUL>");
}

// The steps that every configuration shares, from the rate control to "A50225", with the
// defaults above (pieces of the expected texts below, written out once).
const char* const kTail =
    "A50787E4L4D%%%%%%<CR> ~100 W A50387D<CR> ~100 W "
    "A503341<CR> ~100 W A503731<CR> ~100 W A50381S<CR> ~100 W A50392N<CR> ~100 W "
    "A5044310<CR> ~100 W "
    "A53182U41234225.1.1.1$192.168.0.20<NUL> *<NUL><CR> ~200 W "
    "A53183M45006239.1.1.12$10.0.0.12<NUL> *<NUL><CR> ~200 W "
    "A50225<CR> ~100";

const char* const kResolutions = "A506101920<CR> ~100 A506111080<CR> ~100 W "
                                 "A506501920<CR> ~100 A506511080<CR> ~100 W "
                                 "A50512720<CR> ~100 A50514576<CR> ~100 W "
                                 "A50560720<CR> ~100 A50561576<CR> ~100 W ";

const char* const kValues =
    "A506164000<CR> W A506538000<CR> W A5041530<CR> W A5045230<CR> W A5041730<CR> W "
    "A5045430<CR> W A506211500<CR> W A506633000<CR> W A5042025<CR> W A5046225<CR> W "
    "A5042225<CR> ~100 W A5046425<CR> W ";

} // namespace

class SavePlanTest : public QObject {
    Q_OBJECT

private slots:
    void boxesAreWhatIsSent();
    void wholeSave_data();
    void wholeSave();
    void saveDetails_data();
    void saveDetails();
    void frameRateCheck_data();
    void frameRateCheck();
    void refusedSave_data();
    void refusedSave();
    void updates_data();
    void updates();
};

void SavePlanTest::wholeSave_data() {
    QTest::addColumn<QString>("board");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("full board, idle, both recorded")
        << "full N N"
        << "idle S 1 1"
        << ""
        << QString(kResolutions) + kValues +
               "A503453<CR> ~100 W "
               "A503271<CR> ~100 W A503284<CR> ~100 W "
               "A503321<CR> ~100 W A5042911<CR> ~100 W A503332<CR> ~100 W " +
               kTail;

    QTest::newRow("full board streaming: stopped first, started last")
        << "full S A"
        << "streaming R 2 1"
        << "ERec1:off S1I=7 S2I=8 Efmt1=1 Efmt2=0 S1Aud:off AutStart:on AutoDetect:off UDPRSB:on "
           "LFEC='10' DFEC='5' RTP12_S=-1 RTP11_Port='80'"
        << QString("A50206<CR> ~100 ") + kResolutions + kValues +
               "A503452<CR> ~100 W "
               "A50327B<CR> ~100 W A50328C<CR> ~100 W "
               "A503322<CR> ~100 W A5042921<CR> ~100 W A503331<CR> ~100 W "
               "A50887E10L5D%%%%%%<CR> ~100 W A50387D<CR> ~100 W "
               "A503342<CR> ~100 W A503732<CR> ~100 W A50381R<CR> ~100 W A50392Y<CR> ~100 W "
               "A5044300<CR> ~200 W "
               "A53182U280225.1.1.1$192.168.0.20<NUL> *<NUL><CR> ~200 W "
               "A53183M45006239.1.1.12$10.0.0.12<NUL> *<NUL><CR> ~200 W "
               "A50225<CR> ~100 A50205<CR>";

    // HD SDI 1080P50 on stream 12 goes out before the analog module of stream 11.
    QTest::newRow("small board, analog 11, HD SDI 12")
        << "small A S"
        << "idle S 1 1"
        << "S1I=3 S2I=5 ERec2:off fps1='60'"
        << QString(kResolutions) + QString(kValues).replace("A5041730", "A5041760") +
               "A503451<CR> ~100 W "
               "A50328D<CR> ~100 W A50327B<CR> ~100 W "
               "A503321<CR> ~100 W A5042911<CR> ~100 W A503332<CR> ~100 W " +
               kTail;

    QTest::newRow("small board, HDMI 11, no module 12")
        << "small H N"
        << "idle S 1 1"
        << "S1I=2 S2I=0 fps1='60'"
        << QString(kResolutions) + QString(kValues).replace("A5041730", "A5041760") +
               "A503453<CR> ~100 W "
               "A503278<CR> ~1000 W A50328C<CR> ~100 W "
               "A503321<CR> ~100 W A5042911<CR> ~100 W A503332<CR> ~100 W " +
               kTail;

    QTest::newRow("small board, no modules: No Sensor on both")
        << "small N N"
        << "idle S 1 1"
        << ""
        << QString(kResolutions) + kValues +
               "A503453<CR> ~100 W "
               "A50327C<CR> ~100 W A50328C<CR> ~100 W "
               "A503321<CR> ~100 W A5042911<CR> ~100 W A503332<CR> ~100 W " +
               kTail;

    // Nothing selected: no resolution, input or encoder command; the waits that close the
    // resolution and input steps stay, the encoder steps go whole. Empty values and values too
    // short for their command send nothing but are waited for (too long ones refuse the save,
    // see refusedSave).
    QTest::newRow("missing selections and values")
        << "full N N"
        << "idle - 1 1"
        << "Res1=-1 RecRes2=-1 S1I=-1 Efmt1=-1 Efmt2=-1 ERec1:off ERec2:off RTP11_S=-1 "
           "Bit1='' RecBit1='5' Gop1='' Bit2='' LFEC='' DFEC=''"
        << QString("W A506501920<CR> ~100 A506511080<CR> ~100 W "
                   "A50512720<CR> ~100 A50514576<CR> ~100 W W "
                   "W W W A5045230<CR> W A5041730<CR> W "
                   "A5045430<CR> W W A506633000<CR> W A5042025<CR> W A5046225<CR> W "
                   "A5042225<CR> ~100 W A5046425<CR> W "
                   "W "
                   "~100 W A503284<CR> ~100 W "
                   "A5042911<CR> ~100 W "
                   "A50587ELD%%%%%%<CR> ~100 W A50387D<CR> ~100 W "
                   "A503341<CR> ~100 W A503731<CR> ~100 W A50381<CR> ~100 W A50392N<CR> ~100 W "
                   "A5044310<CR> ~100 W "
                   "A53182M41234225.1.1.1$192.168.0.20<NUL> *<NUL><CR> ~200 W "
                   "A53183M45006239.1.1.12$10.0.0.12<NUL> *<NUL><CR> ~200 W "
                   "A50225<CR> ~100");
}

void SavePlanTest::wholeSave() {
    QFETCH(QString, board);
    QFETCH(QString, state);
    QFETCH(QString, changes);
    QFETCH(QString, expected);
    const save::SavePlan plan = save::planSave(viewWith(changes), stateOf(board, state));
    QCOMPARE(QString::fromStdString(plan.message), QString());
    QCOMPARE(described(plan.all()), expected);
    QCOMPARE(plan.restarts(), state.startsWith("streaming"));
}

// Single steps of the save: the steps whose frames start with `watch` (a code prefix such as
// "A5031" or "A50327"), in order.
void SavePlanTest::saveDetails_data() {
    QTest::addColumn<QString>("board");
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QString>("watch");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const char* board, const char* changes, const char* watch,
                  const char* expected) {
        QTest::newRow(name) << board << changes << watch << expected;
    };
    row("1280 x 720", "full N N", "Res1=1", "A50X10 A50X11", "A506101280 A50511720");
    row("720 x 576 and 720 x 500 share the width", "full N N", "Res1=2 Res2=3",
        "A50X10 A50X11 A50X12 A50X14", "A50510720 A50511576 A50512720 A50514500");
    row("704 x 576: the height of 720 x 576", "full N N", "Res1=7", "A50X10 A50X11",
        "A50510704 A50511576");
    row("448 x 336 on stream 12", "full N N", "Res2=8", "A50X12 A50X14", "A50512448 A50514336");
    row("recording 320 x 240 and 1280 x 720", "full N N", "RecRes1=5 RecRes2=1",
        "A50X50 A50X51 A50X60 A50X61", "A50550320 A50551240 A506601280 A50561720");
    row("one-character bit rate sent, recording bit rate not", "full N N", "Bit1='5' RecBit1='5'",
        "A50X16 A50X53", "A503165");
    row("values sent as typed", "full N N", "Gop1='x1' fps2='2.5' S2I=8", "A50X15 A50X22",
        "A50415x1 A505222.5");
    row("full board, Analog NTSC 480P60 on 2", "full N N", "S2I=5", "A50328", "A503285");
    row("full board, HD SDI 720P30 on 1", "full N N", "S1I=3", "A50327", "A503273");
    row("full board, PAL BAR on 1", "full N N", "S1I=6", "A50327", "A50327A");
    // The list before a variant is applied holds thirteen items; past the ninth the position
    // rule names no input of the board, or HD SDI 1080P50 (position 9).
    row("full board, position 9 and 10", "full N N", "S1I=9 S2I=10", "A50327 A50328", "A50327D");
    row("full board, HDMI flag ignored", "full SH N", "S1I=0", "A50327", "A503270");
    row("small HD SDI, No Sensor", "small S S", "S1I=4 S2I=1", "A50327 A50328", "A50327C A503281");
    row("small analog, all positions", "small A A", "S1I=0 S2I=2", "A50327 A50328",
        "A503274 A50328A");
    row("small analog, position 5: nothing", "small A A", "S1I=5 S2I=1", "A50327 A50328",
        "A503285");
    row("small HDMI, 720P30 and No Sensor", "small H H", "S1I=3 S2I=4", "A50327 A50328",
        "A503279 A50328C");
    row("FEC L 100 D 10 counts ten and more", "full N N", "LFEC='100' DFEC='10'", "A5XX87E",
        "A51087E100L10D%%%%%%");
    row("audio on stream 12 only", "full N N", "S1Aud:off S2Aud:on", "A50443", "A5044301");
    row("audio on both", "full N N", "S2Aud:on", "A50443", "A5044311");
    row("record stream 11 only", "full N N", "ERec2:off", "A50345", "A503451");
}

void SavePlanTest::saveDetails() {
    QFETCH(QString, board);
    QFETCH(QString, changes);
    QFETCH(QString, watch);
    QFETCH(QString, expected);
    const save::SavePlan plan = save::planSave(viewWith(changes), stateOf(board, "idle S 1 1"));
    QStringList seen;
    for (const steps::Step& s : plan.all()) {
        const QString frame = QString::fromStdString(s.frame).remove('\r');
        for (const QString& w : watch.split(' '))
            if (s.kind == steps::Step::Kind::Send &&
                QRegularExpression('^' + QString(w).replace('X', "\\d")).match(frame).hasMatch())
                seen << frame;
    }
    QCOMPARE(seen.join(' '), expected);
}

// The boxes a plan names (which the window checks before sending) are exactly those whose text
// reaches its frames: a box left out would go unchecked, one too many would be asked about for
// nothing.
void SavePlanTest::boxesAreWhatIsSent() {
    // No input limits the frame rates, so that every text goes out as typed.
    const QString base = "S1I=8 S2I=8";
    const auto saved = [&](Ctl box, const char* text) {
        controls::ConfigView v = viewWith(base);
        v[box].text = text;
        return save::planSave(v, stateOf("full N N", "idle S 1 1"));
    };
    const auto updated = [&](Update button, Ctl box, const char* text) {
        controls::ConfigView v = viewWith(base);
        v[box].text = text;
        return save::planUpdate(button, v, flagsOf("full N N")).steps;
    };
    const std::vector<Ctl> listed = saved(Ctl::Bit1, "120").boxes;
    for (const controls::CtlInfo& row : controls::kCatalogue) {
        if (row.kind != controls::Kind::Edit)
            continue;
        const bool sent = saved(row.id, "120").all() != saved(row.id, "130").all();
        const bool named = std::find(listed.begin(), listed.end(), row.id) != listed.end();
        QVERIFY2(sent == named, controls::name(row.id).data());
        for (int b = int(Update::URes1); b <= int(Update::Ufps2); ++b) {
            const auto button = Update(b);
            const std::vector<Ctl> boxes =
                save::planUpdate(button, viewWith(base), flagsOf("full N N")).boxes;
            const bool updates = updated(button, row.id, "120") != updated(button, row.id, "130");
            QVERIFY2(updates == (std::find(boxes.begin(), boxes.end(), row.id) != boxes.end()),
                     controls::name(row.id).data());
        }
    }
}

void SavePlanTest::frameRateCheck_data() {
    QTest::addColumn<QString>("board");
    QTest::addColumn<int>("input");
    QTest::addColumn<QString>("fps");
    QTest::addColumn<QString>("expected"); // "" passes, else the operator's message
    auto row = [](const char* name, const char* board, int input, const char* fps,
                  const char* expected) {
        QTest::newRow(name) << board << input << fps << expected;
    };
    const char* wrong = "Wrong Value in Chnl 12 FPS ";
    row("full, PAL 576P50: 60 refused", "full N N", 4, "60", wrong);
    row("full, PAL 576P50: 50 passes", "full N N", 4, "50", "");
    row("full, PAL 576P50: 0 passes", "full N N", 4, "0", "");
    row("full, PAL 576P50: negative passes", "full N N", 4, "-5", "");
    row("full, 1080P30: 31 refused", "full N N", 1, "31", wrong);
    row("full, 720P30: 30 passes", "full N N", 3, "+30", "");
    row("full, 720P60: 61 refused", "full N N", 2, "61", wrong);
    row("full, NTSC BAR: 60 passes", "full N N", 7, "60", "");
    row("full, PAL BAR: 51 refused", "full N N", 6, "51", wrong);
    row("full, No Sensor: text not converted", "full N N", 8, "abc", "");
    row("full, nothing selected: not converted", "full N N", -1, "", "");
    row("full, position 9: no limit", "full N N", 9, "99", "");
    row("full, not a number", "full N N", 0, "6O", "'6O' is not a valid integer value");
    row("full, empty: the box named", "full N N", 0, "",
        "Stream 12 Frame Rate is empty: it takes a whole number from 1 to 999, in digits only.");
    row("full, spaces are not a number", "full N N", 0, " 30",
        "' 30' is not a valid integer value");
    row("small HD SDI, 1080P50: anything passes", "small N S", 5, "240", "");
    row("small HD SDI, 1080P30: 60 refused", "small N S", 1, "60", wrong);
    row("small HDMI, 720P60: 60 passes", "small N H", 2, "60", "");
    row("small HDMI, 1080P30: 31 refused", "small N H", 1, "31", wrong);
    row("small analog, PAL 576P50: 51 refused", "small N A", 0, "51", wrong);
    row("small analog, NTSC 480P60: 60 passes", "small N A", 1, "60", "");
    row("small analog, NTSC BAR: 61 refused", "small N A", 3, "61", wrong);
    row("small, no module: no limit", "small N N", 0, "240", "");
    row("small, channel 11's module does not count", "small A N", 0, "240", "");
    // Flags left over from the full board: every rule that applies is checked.
    row("small, SDI and analog flags: both limits", "small N SA", 0, "55", wrong);
}

void SavePlanTest::frameRateCheck() {
    QFETCH(QString, board);
    QFETCH(int, input);
    QFETCH(QString, fps);
    QFETCH(QString, expected);
    controls::ConfigView v = viewWith("");
    v[Ctl::S2I].index = input;
    v[Ctl::fps2].text = fps.toStdString();
    const auto check = save::checkFps(v, flagsOf(board), frames::Stream::S12);
    QCOMPARE(check.passed, expected.isEmpty());
    QCOMPARE(QString::fromStdString(check.message(frames::Stream::S12)), expected);
    // The save and the frame-rate update refuse with the same message and send nothing.
    const auto plan = save::planSave(v, stateOf(board, "streaming S 1 1"));
    const auto update = save::planUpdate(Update::Ufps2, v, flagsOf(board));
    if (expected.isEmpty()) {
        QVERIFY(!plan.all().empty());
        QCOMPARE(update.steps.size(), std::size_t(1));
    } else {
        QCOMPARE(QString::fromStdString(plan.message), expected);
        QCOMPARE(QString::fromStdString(update.message), expected);
        QVERIFY(plan.all().empty());
        QVERIFY(update.steps.empty());
    }
}

void SavePlanTest::refusedSave_data() {
    QTest::addColumn<QString>("board");
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QString>("message");
    const QString long93(93, '7');
    const QString long92(92, '7');
    QTest::newRow("stream 11 frame rate") << "full N N"
                                          << "S1I=1 fps1='60' S2I=4 fps2='60'"
                                          << "Wrong Value in Chnl 11 FPS ";
    QTest::newRow("stream 12 after 11") << "full N N"
                                        << "fps2='51'"
                                        << "Wrong Value in Chnl 12 FPS ";
    QTest::newRow("stream 11 conversion before 12's limit") << "full N N"
                                                            << "fps1='x' fps2='99'"
                                                            << "'x' is not a valid integer value";
    // A text longer than its command takes sends nothing at all and names the value; from a
    // frame of 100 characters on the message says only that it is too long to send.
    QTest::newRow("stream 11 bit rate of six characters")
        << "full N N"
        << "Bit1='123456'"
        << "'123456' is too long for the stream 11 bit rate (1 to 5 characters)";
    QTest::newRow("stream 12 recording frame rate of four characters")
        << "full N N"
        << "Recfps2='1000'"
        << "'1000' is too long for the stream 12 recording frame rate (1 to 3 characters)";
    QTest::newRow("a value just short of a 100-character frame")
        << "full N N"
        << "Bit2='" + long92 + "'"
        << "'" + QString(60, '7') +
               "... (92 bytes)' is too long for the stream 12 bit rate (1 "
               "to 5 characters)";
    QTest::newRow("a value whose frame reaches 100 characters")
        << "full N N"
        << "RecGop2='" + long93 + "'"
        << "'" + QString(60, '7') + "... (93 bytes)' is too long to send";
    QTest::newRow("FEC L and D, the longer named")
        << "full N N"
        << "LFEC='" + QString(40, '1') + "' DFEC='" + QString(44, '2') + "'"
        << "'" + QString(44, '2') + "' is too long to send";
    QTest::newRow("FEC frame of 99 characters")
        << "full N N"
        << "LFEC='" + QString(40, '1') + "' DFEC='" + QString(43, '2') + "'"
        << "";
    QTest::newRow("RTP destination, the longest text named")
        << "full N N"
        << "RTP12_IP='" + QString(80, '9') + "'"
        << "'" + QString(60, '9') + "... (80 bytes)' is too long to send";
}

void SavePlanTest::refusedSave() {
    QFETCH(QString, board);
    QFETCH(QString, changes);
    QFETCH(QString, message);
    const save::SavePlan plan =
        save::planSave(viewWith(changes), stateOf(board, "streaming S 1 1"));
    QCOMPARE(QString::fromStdString(plan.message), message);
    QCOMPARE(plan.all().empty(), !message.isEmpty());
    for (const steps::Step& s : plan.all())
        QVERIFY(s.frame.size() <= save::kMaxFrame);
}

void SavePlanTest::updates_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("board");
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QString>("expected"); // steps, or "!" and the message
    auto row = [](const char* name, Update button, const char* board, const QString& changes,
                  const QString& expected) {
        QTest::newRow(name) << int(button) << board << changes << expected;
    };
    row("URes1, 1280 x 720", Update::URes1, "full N N", "Res1=1", "A503702<CR>");
    row("URes2, 1920 x 1080", Update::URes2, "full N N", "Res2=0", "A503691<CR>");
    row("URes1, 448 x 336", Update::URes1, "full N N", "Res1=8", "A503709<CR>");
    row("URes2, nothing selected", Update::URes2, "full N N", "Res2=-1", "A503690<CR>");
    row("UBit1 4000", Update::UBit1, "full N N", "Bit1='4000'", "A506374000<CR>");
    row("UBit1 12000", Update::UBit1, "full N N", "Bit1='12000'", "A5073712000<CR>");
    row("UBit2 800", Update::UBit2, "full N N", "Bit2='800'", "A50540800<CR>");
    row("UBit1 six characters: refused", Update::UBit1, "full N N", "Bit1='123456'",
        "!'123456' is too long for the stream 11 bit rate (1 to 5 characters)");
    row("UBit2 empty: empty send", Update::UBit2, "full N N", "Bit2=''", "''");
    row("UBit1 not a number, sent as typed", Update::UBit1, "full N N", "Bit1='4k'",
        "A504374k<CR>");
    row("UGop1 30", Update::UGop1, "full N N", "Gop1='30'", "A5043630<CR>");
    row("UGop2 1", Update::UGop2, "full N N", "Gop2='1'", "A503391<CR>");
    row("UGop2 1000: refused", Update::UGop2, "full N N", "Gop2='1000'",
        "!'1000' is too long for the stream 12 GOP (1 to 3 characters)");
    row("Ufps1 30 on HD SDI 1080P30", Update::Ufps1, "full N N", "S1I=1 fps1='30'", "A5043830<CR>");
    row("Ufps1 60 on HD SDI 1080P30", Update::Ufps1, "full N N", "S1I=1 fps1='60'",
        "!Wrong Value in Chnl 11 FPS ");
    row("Ufps2 25 on PAL", Update::Ufps2, "full N N", "S2I=4 fps2='25'", "A5044125<CR>");
    row("Ufps2 not a number, no limit: sent", Update::Ufps2, "full N N", "S2I=8 fps2='x'",
        "A50341x<CR>");
    row("Ufps2 not a number under a limit", Update::Ufps2, "full N N", "S2I=4 fps2='x'",
        "!'x' is not a valid integer value");
    row("Ufps1 four characters, no limit: refused", Update::Ufps1, "small S N", "S1I=5 fps1='1000'",
        "!'1000' is too long for the stream 11 frame rate (1 to 3 characters)");
    row("UBit2 of 92 characters: refused", Update::UBit2, "full N N",
        "Bit2='" + QString(92, '1') + "'",
        "!'" + QString(60, '1') +
            "... (92 bytes)' is too long for the stream 12 bit rate (1 to 5 characters)");
    row("UBit2 of 93 characters: refused", Update::UBit2, "full N N",
        "Bit2='" + QString(93, '1') + "'",
        "!'" + QString(60, '1') + "... (93 bytes)' is too long to send");
    row("UGop1 too long", Update::UGop1, "full N N", "Gop1='" + QString(200, 'g') + "'",
        "!'" + QString(60, 'g') + "... (200 bytes)' is too long to send");
    row("Ufps1 too long, no limit", Update::Ufps1, "full N N",
        "S1I=8 fps1='" + QString(100, 'f') + "'",
        "!'" + QString(60, 'f') + "... (100 bytes)' is too long to send");
}

void SavePlanTest::updates() {
    QFETCH(int, button);
    QFETCH(QString, board);
    QFETCH(QString, changes);
    QFETCH(QString, expected);
    const auto plan = save::planUpdate(Update(button), viewWith(changes), flagsOf(board));
    const QString got =
        plan.message.empty() ? described(plan.steps) : "!" + QString::fromStdString(plan.message);
    QCOMPARE(got, expected);
    QVERIFY(plan.message.empty() != plan.steps.empty());
}

QTEST_GUILESS_MAIN(SavePlanTest)
#include "save_plan_test.moc"
