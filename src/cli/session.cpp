#include "cli/session.h"

#include "core/config_compare.h"
#include "core/config_decode.h"
#include "core/config_text.h"
#include "core/fec.h"
#include "core/frames.h"
#include "core/history.h"
#include "core/network.h"
#include "core/read_plan.h"
#include "core/save_plan.h"
#include "core/server_record.h"
#include "core/streaming.h"
#include "core/view_apply.h"
#include "platform/history_files.h"

#include <QDateTime>
#include <QFile>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace cli {

namespace controls = corvane::controls;
namespace frames = corvane::frames;
namespace steps = corvane::steps;
namespace configtext = corvane::configtext;
using controls::Ctl;
using corvane::replies::Effect;

namespace {

// A UDP command waits this long for its reply, as in the window; the first command of a run waits
// as long for an answer over a serial line.
constexpr int kUdpReplyMs = BoardLink::kUdpReplyMs;

void out(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

QString toQ(const std::string& s) {
    return QString::fromStdString(s);
}

// A frame on one line as the stand-in board's trace shows it: CR as <CR>, LF as <LF>, code 0 as
// <NUL>, other non-printing bytes as <xNN>.
std::string shownFrame(std::string_view frame) {
    std::string shown;
    for (const char c : frame) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r') {
            shown += "<CR>";
        } else if (c == '\n') {
            shown += "<LF>";
        } else if (u == 0) {
            shown += "<NUL>";
        } else if (u < 0x20 || u >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<x%02X>", u);
            shown += hex;
        } else {
            shown += c;
        }
    }
    return shown;
}

} // namespace

Session::Session(const Options& options)
    : o_(options), label_(options.label()), showProgress_(isatty(STDERR_FILENO) == 1) {
    QObject::connect(&link_, &BoardLink::traffic, [this](const LinkTraffic& t) {
        if (t.direction == LinkTraffic::Direction::Received) {
            ++received_;
            answered_ = true;
        }
    });
    QObject::connect(&link_, &BoardLink::sendRefused, [this] { refused_ = true; });
    QObject::connect(&link_, &BoardLink::serialLost, [this](const QString& reason) {
        lost_ = true;
        lostReason_ = reason;
    });
}

void Session::setInput(const QByteArray& content) {
    input_ = content;
    hasInput_ = true;
}

int Session::fail(int status, const QString& text) {
    if (showProgress_ && stepsTotal_ > 0)
        std::fputc('\n', stderr);
    // A dry run may name no board.
    if (label_.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(text));
    else
        std::fprintf(stderr, "%s: %s\n", qPrintable(label_), qPrintable(text));
    return status;
}

int Session::refuse(int status, const QString& text) {
    checkError_ = text;
    return status;
}

void Session::progress(int done, int total) {
    if (!showProgress_ || total <= 1)
        return;
    std::fprintf(stderr, "\r%s: %s %d/%d", qPrintable(label_), qPrintable(o_.command), done, total);
    if (done == total)
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

// The link as the options name it; the only place that opens it.
int Session::open() {
    QString error;
    if (o_.udp()) {
        corvane::settings::UdpEndpoint endpoint;
        endpoint.myIp = o_.localIp.toStdString();
        endpoint.boardIp = o_.udpHost.toStdString();
        endpoint.sourcePort = o_.localPort;
        endpoint.boardPort = o_.udpPort;
        return keeper_.openUdp(endpoint, &error) ? Done : fail(NoAnswer, error);
    }
    // 8 data bits, no parity, one stop bit, no flow control: the settings' defaults.
    corvane::settings::SerialSettings serial;
    serial.portName = o_.serial.toStdString();
    serial.baudRate = corvane::settings::BaudRate::Custom;
    serial.customBaud = o_.baud;
    return keeper_.openSerial(serial, &error) ? Done : fail(NoAnswer, error);
}

int Session::check() {
    checked_ = true;
    const QString& c = o_.command;
    if (c == QLatin1String("save"))
        return checkSave();
    if (c == QLatin1String("save-network"))
        return checkNetwork();
    if (c == QLatin1String("diff"))
        return checkDiff();
    if (c == QLatin1String("start") || c == QLatin1String("stop"))
        return checkStartStop();
    return Done;
}

int Session::run() {
    if (!checked_)
        if (const int status = check(); status != Done)
            return fail(status, checkError_);
    if (o_.dryRun)
        return dryRun();
    if (const int status = open(); status != Done)
        return status;
    const QString& c = o_.command;
    if (c == QLatin1String("probe"))
        return probe();
    if (c == QLatin1String("read"))
        return read();
    if (c == QLatin1String("diff"))
        return diff();
    if (!o_.backupDir.isEmpty())
        if (const int status = backup(); status != Done)
            return status;
    if (c == QLatin1String("firmware"))
        return firmware();
    if (c == QLatin1String("reboot"))
        return single(frames::reboot());
    if (c == QLatin1String("exit-board"))
        return single(frames::exitBoard());
    if (c == QLatin1String("create-default"))
        return single(frames::createDefault());
    return send();
}

bool Session::readInput(const QString& name, qint64 most, QByteArray* content, qint64* size) {
    if (hasInput_) {
        *content = most < 0 ? input_ : input_.left(most);
        *size = input_.size();
        return true;
    }
    QFile file;
    const bool opened = name == QLatin1String("-")
                            ? file.open(stdin, QIODevice::ReadOnly)
                            : (file.setFileName(name), file.open(QIODevice::ReadOnly));
    if (!opened) {
        checkError_ = QStringLiteral("%1: %2").arg(name, file.errorString());
        return false;
    }
    *content = most < 0 ? file.readAll() : file.read(most);
    *size = file.isSequential() ? content->size() : file.size();
    if (file.error() != QFileDevice::NoError) {
        checkError_ = QStringLiteral("%1: %2").arg(name, file.errorString());
        return false;
    }
    return true;
}

int Session::checkSave() {
    controls::ConfigView view;
    configtext::Parsed parsed;
    QString source;
    if (!o_.recordFile.isEmpty()) {
        source =
            o_.recordFile == QLatin1String("-") ? QStringLiteral("standard input") : o_.recordFile;
        constexpr auto kSize = qint64(corvane::record::kRecordSize);
        QByteArray bytes;
        qint64 size = 0;
        if (!readInput(o_.recordFile, kSize + 1, &bytes, &size))
            return Usage;
        // A record of another size is not a server configuration file (an empty one would set
        // every value to zero).
        if (bytes.size() != kSize)
            return refuse(Refused,
                          QStringLiteral("%1: %2 bytes; a server configuration file has %3")
                              .arg(source, bytes.size() > kSize && size <= kSize
                                               ? QStringLiteral("more than %1").arg(kSize)
                                               : QString::number(size))
                              .arg(kSize));
        const auto record = corvane::record::readRecord(
            corvane::record::ServerConfigRecord{},
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                      std::size_t(bytes.size())));
        const controls::Applied applied = corvane::record::recordToControls(record, o_.board);
        if (!applied.ok())
            return refuse(Refused, QStringLiteral("%1: %2").arg(source, toQ(applied.error)));
        controls::applyToView(view, applied);
        if (const std::string why = configtext::refusedText(view); !why.empty())
            return refuse(Refused, QStringLiteral("%1: %2").arg(source, toQ(why)));
    } else {
        if (const int status = parseFile(configtext::Need::Every, parsed, source); status != Done)
            return status;
        view = parsed.view;
    }
    const corvane::save::SavePlan plan =
        corvane::save::planSave(view, configtext::saveState(view, o_.board));
    if (!plan.message.empty()) {
        const int line = configtext::refusedLine(plan.message, parsed);
        return refuse(
            Refused,
            line > 0
                ? QStringLiteral("%1: line %2: %3").arg(source).arg(line).arg(toQ(plan.message))
                : QStringLiteral("%1: %2").arg(source, toQ(plan.message)));
    }
    planned_ = plan.all();
    return Done;
}

// "Save Network Configuration" with the file's network values. What the window would stop at
// halfway (an MTU that is not a number) is refused before anything is sent.
int Session::checkNetwork() {
    configtext::Parsed parsed;
    QString source;
    if (const int status = parseFile(configtext::Need::Network, parsed, source); status != Done)
        return status;
    controls::ConfigView view = parsed.view;
    std::vector<std::string> messages;
    planned_ = planSteps(corvane::network::planNetworkSave(view), view, messages);
    if (!messages.empty()) {
        const int line = configtext::refusedLine(messages.front(), parsed);
        return refuse(
            Refused,
            line > 0
                ? QStringLiteral("%1: line %2: %3").arg(source).arg(line).arg(toQ(messages.front()))
                : QStringLiteral("%1: %2").arg(source, toQ(messages.front())));
    }
    return Done;
}

// The file that diff compares with the board: read and refused as a save's lines are. What only
// the save itself would refuse (a frame rate above its input's) is still compared: diff sends
// nothing, and the output of read always compares.
int Session::checkDiff() {
    configtext::Parsed parsed;
    QString source;
    if (const int status = parseFile(configtext::Need::Every, parsed, source); status != Done)
        return status;
    fileView_ = parsed.view;
    return Done;
}

int Session::parseFile(configtext::Need need, configtext::Parsed& parsed, QString& source) {
    source = o_.saveFile == QLatin1String("-") ? QStringLiteral("standard input") : o_.saveFile;
    QByteArray text;
    qint64 size = 0;
    if (!readInput(o_.saveFile, -1, &text, &size))
        return Usage;
    parsed = configtext::fromLines(std::string_view(text.constData(), std::size_t(text.size())),
                                   o_.board, need);
    if (!parsed.ok())
        return refuse(Refused, QStringLiteral("%1: %2").arg(source, toQ(parsed.message())));
    return Done;
}

// "Start Stream" (then the FEC boxes ticked as asked) or "Stop Stream" with the FEC boxes as
// given: the window's sequences for a board that is stopped or streaming. A message the window
// would show on the way (FEC values it cannot use) refuses the command before anything is sent.
int Session::checkStartStop() {
    controls::ConfigView view;
    view[Ctl::LFEC].text = o_.fecL.toStdString();
    view[Ctl::DFEC].text = o_.fecD.toStdString();
    if (o_.fec && !frames::fecOn(view.text(Ctl::LFEC), view.text(Ctl::DFEC)))
        return refuse(
            Refused, toQ(corvane::fec::tooLongMessage(view.text(Ctl::LFEC), view.text(Ctl::DFEC))));
    std::vector<std::string> messages;
    if (o_.command == QLatin1String("start")) {
        planned_ = planSteps(corvane::streaming::planStartStream(false), view, messages);
        corvane::plan::Plan boxes;
        if (o_.fec)
            boxes.add(controls::Action::setChecked(Ctl::CEFEC, true));
        if (o_.fecError)
            boxes.add(controls::Action::setChecked(Ctl::ERRFEC, true));
        const steps::Steps more = planSteps(boxes, view, messages);
        planned_.insert(planned_.end(), more.begin(), more.end());
    } else {
        view[Ctl::CEFEC].checked = o_.fec;
        view[Ctl::ERRFEC].checked = o_.fecError;
        planned_ = planSteps(corvane::streaming::planStopStream(view, true), view, messages);
    }
    if (!messages.empty())
        return refuse(Refused, toQ(messages.front()));
    return Done;
}

bool Session::runSteps(const steps::Steps& sequence) {
    using Kind = steps::Step::Kind;
    // The run holds the link as one sequence: a serial port lost ends its waits and pauses at
    // once.
    const int total = BoardLink::countSends(sequence);
    BoardLink::Sequence running(link_, o_.command, total, false);
    int sent = 0;
    int unansweredInRow = 0;
    bool sentSinceWait = false;
    const auto linkFailed = [&] {
        if (lost_)
            return fail(NoAnswer, QStringLiteral("%1 (after %2 of %3 commands)")
                                      .arg(lostReason_)
                                      .arg(sent)
                                      .arg(total));
        return fail(NoAnswer, QStringLiteral("the link refused a command (after %1 of %2 commands)")
                                  .arg(sent)
                                  .arg(total));
    };
    for (const steps::Step& step : sequence) {
        if (lost_ || refused_) {
            linkFailed();
            return false;
        }
        switch (step.kind) {
        case Kind::Send: {
            if (!link_.send(step.frame) || refused_ || lost_) {
                linkFailed();
                return false;
            }
            ++sent;
            sentSinceWait = true;
            // The first command must be answered: over UDP the reply comes within the send, over
            // a serial line within as long.
            if (!answered_ && !o_.udp())
                link_.waitUntil([this] { return answered_ || lost_; }, kUdpReplyMs);
            if (lost_) {
                linkFailed();
                return false;
            }
            if (!answered_) {
                fail(NoAnswer, QStringLiteral("no answer within %1 s").arg(kUdpReplyMs / 1000));
                return false;
            }
            break;
        }
        case Kind::Pause:
            link_.pause(step.ms);
            break;
        case Kind::Wait: {
            // A wait that closes a step which sent nothing awaits no answer: it does not count
            // as one more unanswered.
            const bool awaited = std::exchange(sentSinceWait, false);
            if (link_.waitForAck()) {
                unansweredInRow = 0;
                break;
            }
            if (lost_) {
                linkFailed();
                return false;
            }
            // The board answered the start, with a refusal: nothing of what follows may run.
            if (link_.startRefused) {
                fail(NoAnswer, QStringLiteral("the board refused to start the stream (after %1 "
                                              "of %2 commands)")
                                   .arg(sent)
                                   .arg(total));
                return false;
            }
            ++missedAcks_;
            if (awaited && ++unansweredInRow >= BoardLink::kUnansweredInRow) {
                fail(NoAnswer,
                     QStringLiteral("no answer after %1 of %2 commands").arg(sent).arg(total));
                return false;
            }
            if (showProgress_)
                std::fputc('\n', stderr);
            std::fprintf(stderr, "%s: no acknowledgement from the board (command %d of %d)\n",
                         qPrintable(label_), sent, total);
            break;
        }
        }
        progress(++stepsDone_, stepsTotal_);
    }
    if (lost_ || refused_) {
        linkFailed();
        return false;
    }
    return true;
}

int Session::finish() {
    if (missedAcks_ == 0)
        return Done;
    return fail(NoAnswer, QStringLiteral("%1 acknowledgement%2 did not come")
                              .arg(missedAcks_)
                              .arg(missedAcks_ == 1 ? "" : "s"));
}

steps::Steps Session::planSteps(const corvane::plan::Plan& plan, controls::ConfigView& view,
                                std::vector<std::string>& messages) {
    steps::Steps out;
    for (const corvane::plan::Item& item : plan.items) {
        if (const auto* step = std::get_if<steps::Step>(&item)) {
            out.push_back(*step);
        } else if (const auto* message = std::get_if<corvane::plan::Message>(&item)) {
            messages.push_back(message->text);
        } else if (const auto* action = std::get_if<controls::Action>(&item)) {
            // The FEC boxes run their handlers on every change of state.
            if (action->op != controls::Action::Op::SetChecked ||
                (action->ctl != Ctl::CEFEC && action->ctl != Ctl::ERRFEC) ||
                view.checked(action->ctl) == action->on)
                continue;
            view[action->ctl].checked = action->on;
            const auto nested = action->ctl == Ctl::CEFEC
                                    ? corvane::fec::planFecBox(action->on, view)
                                    : corvane::fec::planFecErrorBox(action->on, view);
            const steps::Steps more = planSteps(nested, view, messages);
            out.insert(out.end(), more.begin(), more.end());
        }
    }
    return out;
}

int Session::probe() {
    const bool answers = o_.udp() ? link_.probeUdp() : link_.probeSerial();
    if (lost_)
        return fail(NoAnswer, lostReason_);
    if (!answers)
        return fail(NoAnswer, QStringLiteral("no answer within %1 s").arg(kUdpReplyMs / 1000));
    out("answers\n");
    return Done;
}

// "Read Config." without what the window does on top: the decoder's actions go to a plain view,
// so none of the boxes it ticks sends its command. The one function that reads the board, for
// read, diff and the backup before a save.
int Session::readBoard(controls::ConfigView& view) {
    view = controls::ConfigView{};
    view[o_.udp() ? Ctl::UDPCheck : Ctl::RS232Check].checked = true;
    bool decoded = false;
    std::string error;
    const QMetaObject::Connection decoding =
        QObject::connect(&link_, &BoardLink::effect, [&](const Effect& e) {
            if (e.kind != Effect::Kind::DecodeConf)
                return;
            const controls::Applied applied = corvane::config::decodeConf(e.text, o_.board);
            controls::applyToView(view, applied);
            decoded = true;
            error = applied.error;
        });
    const steps::Steps sequence = corvane::config::planRead().all();
    stepsDone_ = 0;
    stepsTotal_ = int(sequence.size());
    const bool ran = runSteps(sequence);
    // What the board sends later (during a save after the backup) decodes into nothing here.
    QObject::disconnect(decoding);
    if (!ran)
        return NoAnswer;
    if (!decoded)
        return fail(NoAnswer, QStringLiteral("no configuration reply"));
    if (!error.empty())
        return fail(NoAnswer, QStringLiteral("the configuration reply: %1").arg(toQ(error)));
    return Done;
}

int Session::read() {
    controls::ConfigView view;
    if (const int status = readBoard(view); status != Done)
        return status;
    out(o_.json ? configtext::toJson(view, o_.board) : configtext::toLines(view, o_.board));
    return finish();
}

// The file's values against the board's: one line per setting that differs, in catalogue order.
int Session::diff() {
    controls::ConfigView board;
    if (const int status = readBoard(board); status != Done)
        return status;
    const std::vector<corvane::compare::Difference> found =
        corvane::compare::differences(fileView_, board, o_.board);
    std::string text;
    for (const corvane::compare::Difference& d : found)
        text += corvane::compare::line(d, "file", "board") + '\n';
    out(text);
    if (const int status = finish(); status != Done)
        return status;
    return found.empty() ? Done : Differ;
}

// The steps a save would run, one line each, with no link opened: "send <frame>" (shown as the
// stand-in board's trace shows frames), "pause <ms> ms", "wait acknowledgement (up to <ms> ms)".
int Session::dryRun() {
    std::string text;
    for (const steps::Step& step : planned_) {
        switch (step.kind) {
        case steps::Step::Kind::Send:
            text += step.frame.empty() ? std::string("send") : "send " + shownFrame(step.frame);
            break;
        case steps::Step::Kind::Pause:
            text += "pause " + std::to_string(step.ms) + " ms";
            break;
        case steps::Step::Kind::Wait:
            text += "wait acknowledgement (up to " + std::to_string(BoardLink::kAckWaitMs) + " ms)";
            break;
        }
        text += '\n';
    }
    out(text);
    return Done;
}

// Before a save: the board's configuration read and written into the backup folder, named as the
// history's entries. Done, or the status that ends the run before anything of the save is sent.
int Session::backup() {
    controls::ConfigView board;
    if (const int status = readBoard(board); status != Done)
        return status;
    // A read that missed an acknowledgement is not taken for a sound backup.
    if (missedAcks_ > 0)
        return fail(NoAnswer, QStringLiteral("the read for the backup missed %1 "
                                             "acknowledgement%2; nothing sent")
                                  .arg(missedAcks_)
                                  .arg(missedAcks_ == 1 ? "" : "s"));
    const QString folder = o_.backupDir;
    const auto failed = [&](const QString& why) {
        return fail(Refused,
                    QStringLiteral("cannot back up into %1: %2; nothing sent").arg(folder, why));
    };
    std::error_code error;
    std::filesystem::create_directories(
        std::filesystem::path(QFile::encodeName(folder).toStdString()), error);
    if (error)
        return failed(QString::fromLocal8Bit(error.message()));
    // Boards on one host at other ports than the board's own are told apart by the port, so that
    // two boards of one --boards run never write the same name in the same second.
    const QString host = o_.udpPort == kBoardPort
                             ? o_.udpHost
                             : QStringLiteral("%1:%2").arg(o_.udpHost).arg(o_.udpPort);
    const std::string link =
        corvane::history::linkPart(o_.udp(), (o_.udp() ? host : o_.serial).toStdString());
    const platform::history::Written written =
        platform::history::write(folder, QDateTime::currentDateTimeUtc(), link,
                                 corvane::history::Kind::Read, configtext::toLines(board, o_.board),
                                 /*prune*/ false);
    if (!written.ok())
        return failed(written.error);
    out(written.path.toStdString() + '\n');
    return Done;
}

// save, save-network, start, stop: the steps checked before the link opened.
int Session::send() {
    stepsDone_ = 0;
    stepsTotal_ = int(planned_.size());
    if (!runSteps(planned_))
        return NoAnswer;
    return finish();
}

// The board answers with its firmware text, which the window shows in a message box.
int Session::firmware() {
    std::string text;
    bool seen = false;
    QObject::connect(&link_, &BoardLink::effect, [&](const Effect& e) {
        if (e.kind == Effect::Kind::ShowMessage && !seen) {
            text = e.text;
            seen = true;
        }
    });
    if (!runSteps({steps::Step::send(frames::firmwareVersion())}))
        return NoAnswer;
    if (!o_.udp())
        link_.waitUntil([&] { return seen || lost_; }, kUdpReplyMs);
    if (!seen)
        return fail(NoAnswer,
                    lost_ ? lostReason_
                          : QStringLiteral("no firmware text within %1 s").arg(kUdpReplyMs / 1000));
    out(text + '\n');
    return Done;
}

// A command the board may not answer (it reboots, leaves its application); nothing is awaited.
int Session::single(const std::string& frame) {
    answered_ = true;
    return runSteps({steps::Step::send(frame)}) ? Done : NoAnswer;
}

} // namespace cli
