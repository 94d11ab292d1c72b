#include "cli/session.h"

#include "core/config_decode.h"
#include "core/config_text.h"
#include "core/fec.h"
#include "core/frames.h"
#include "core/save_plan.h"
#include "core/server_record.h"
#include "core/streaming.h"
#include "core/view_apply.h"
#include "platform/serial_open.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace cli {

namespace controls = corvane::controls;
namespace frames = corvane::frames;
namespace steps = corvane::steps;
namespace configtext = corvane::configtext;
using controls::Ctl;
using corvane::replies::Effect;

namespace {

// A UDP command waits this long for its reply, as in the window.
constexpr int kUdpReplyMs = 1000;

void out(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

QString toQ(const std::string& s) {
    return QString::fromStdString(s);
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
    QObject::connect(&link_, &BoardLink::serialLost, [this](const QString& reason) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(label_), qPrintable(reason));
    });
}

int Session::fail(int status, const QString& text) {
    if (showProgress_ && stepsTotal_ > 0)
        std::fputc('\n', stderr);
    std::fprintf(stderr, "%s: %s\n", qPrintable(label_), qPrintable(text));
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

int Session::open() {
    QString error;
    if (o_.udp()) {
        corvane::settings::UdpEndpoint endpoint;
        endpoint.myIp = o_.localIp.toStdString();
        endpoint.boardIp = o_.udpHost.toStdString();
        endpoint.sourcePort = o_.localPort;
        endpoint.boardPort = o_.udpPort;
        if (!link_.connectUdp(endpoint, kUdpReplyMs, &error))
            return fail(NoAnswer, error);
        link_.setInterfaces(false, true);
        return Done;
    }
    link_.serial->setPortName(o_.serial);
    link_.serial->setBaudRate(o_.baud);
    link_.serial->setDataBits(QSerialPort::Data8);
    link_.serial->setParity(QSerialPort::NoParity);
    link_.serial->setStopBits(QSerialPort::OneStop);
    link_.serial->setFlowControl(QSerialPort::NoFlowControl);
    QSerialPort::SerialPortError code = QSerialPort::NoError;
    if (!link_.openSerial(&error, &code))
        return fail(NoAnswer, platform::serialopen::failureText(o_.serial, code, error));
    link_.setInterfaces(true, false);
    return Done;
}

int Session::run() {
    if (const int status = open(); status != Done)
        return status;
    const QString& c = o_.command;
    if (c == QLatin1String("probe"))
        return probe();
    if (c == QLatin1String("read"))
        return read();
    if (c == QLatin1String("save"))
        return save();
    if (c == QLatin1String("start") || c == QLatin1String("stop"))
        return startStop();
    if (c == QLatin1String("firmware"))
        return firmware();
    if (c == QLatin1String("reboot"))
        return single(frames::reboot());
    if (c == QLatin1String("exit-board"))
        return single(frames::exitBoard());
    return single(frames::createDefault());
}

void Session::waitFor(const std::function<bool()>& done, int ms) {
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
        link_.receiveSerialNow();
    }
}

bool Session::runSteps(const steps::Steps& sequence) {
    using Kind = steps::Step::Kind;
    const QString noAnswer =
        QStringLiteral("no answer within %1 s")
            .arg(o_.udp() ? kUdpReplyMs / 1000 : link_.ackTimer->interval() / 1000);
    for (const steps::Step& step : sequence) {
        switch (step.kind) {
        case Kind::Send: {
            const int before = received_;
            if (!link_.send(step.frame)) {
                fail(NoAnswer, QStringLiteral("the serial link failed"));
                return false;
            }
            // Over UDP the reply comes within the send; the first command must have one.
            if (o_.udp() && received_ == before && !answered_) {
                fail(NoAnswer, noAnswer);
                return false;
            }
            break;
        }
        case Kind::Pause:
            link_.pause(step.ms);
            break;
        case Kind::Wait:
            if (!link_.waitForAck()) {
                if (!answered_) {
                    fail(NoAnswer, noAnswer);
                    return false;
                }
                missedAck_ = true;
                if (showProgress_)
                    std::fputc('\n', stderr);
                std::fprintf(stderr, "%s: no acknowledgement from the board\n", qPrintable(label_));
            }
            break;
        }
        progress(++stepsDone_, stepsTotal_);
    }
    return true;
}

steps::Steps Session::planSteps(const corvane::plan::Plan& plan, controls::ConfigView& view) {
    steps::Steps out;
    for (const corvane::plan::Item& item : plan.items) {
        if (const auto* step = std::get_if<steps::Step>(&item)) {
            out.push_back(*step);
        } else if (const auto* message = std::get_if<corvane::plan::Message>(&item)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(label_), message->text.c_str());
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
            const steps::Steps more = planSteps(nested, view);
            out.insert(out.end(), more.begin(), more.end());
        }
    }
    return out;
}

int Session::probe() {
    const bool answers = o_.udp() ? link_.probeUdp() : link_.probeSerial(10, 100);
    if (!answers)
        return fail(NoAnswer, QStringLiteral("no answer within 1 s"));
    out("answers\n");
    return Done;
}

// "Read Config." without what the window does on top: the decoder's actions go to a plain view,
// so none of the boxes it ticks sends its command.
int Session::read() {
    controls::ConfigView view;
    view[o_.udp() ? Ctl::UDPCheck : Ctl::RS232Check].checked = true;
    bool decoded = false;
    std::string error;
    QObject::connect(&link_, &BoardLink::effect, [&](const Effect& e) {
        if (e.kind != Effect::Kind::DecodeConf)
            return;
        const controls::Applied applied = corvane::config::decodeConf(e.text, o_.board);
        controls::applyToView(view, applied);
        decoded = true;
        error = applied.error;
    });
    const steps::Steps sequence{steps::Step::send(frames::openRead()), steps::Step::wait(),
                                steps::Step::send(frames::configRequest()), steps::Step::wait(),
                                steps::Step::send(frames::keepAlive())};
    stepsTotal_ = int(sequence.size());
    if (!runSteps(sequence))
        return NoAnswer;
    if (!decoded)
        return fail(NoAnswer, QStringLiteral("no configuration reply"));
    if (!error.empty())
        return fail(NoAnswer, QStringLiteral("the configuration reply: %1").arg(toQ(error)));
    out(o_.json ? configtext::toJson(view, o_.board) : configtext::toLines(view, o_.board));
    return missedAck_ ? fail(NoAnswer, QStringLiteral("some commands were not acknowledged"))
                      : Done;
}

int Session::save() {
    controls::ConfigView view;
    configtext::Parsed parsed;
    QString source;
    if (!o_.recordFile.isEmpty()) {
        source = o_.recordFile;
        QFile file(o_.recordFile);
        if (!file.open(QIODevice::ReadOnly))
            return fail(Usage, QStringLiteral("%1: %2").arg(source, file.errorString()));
        const QByteArray bytes = file.read(qint64(corvane::record::kRecordSize));
        const auto record = corvane::record::readRecord(
            corvane::record::ServerConfigRecord{},
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                      std::size_t(bytes.size())));
        const controls::Applied applied = corvane::record::recordToControls(record, o_.board);
        if (!applied.ok())
            return fail(Refused, QStringLiteral("%1: %2").arg(source, toQ(applied.error)));
        controls::applyToView(view, applied);
    } else {
        QByteArray text;
        if (o_.saveFile == QLatin1String("-")) {
            source = QStringLiteral("standard input");
            QFile in;
            if (!in.open(stdin, QIODevice::ReadOnly))
                return fail(Usage, QStringLiteral("cannot read standard input"));
            text = in.readAll();
        } else {
            source = o_.saveFile;
            QFile file(o_.saveFile);
            if (!file.open(QIODevice::ReadOnly))
                return fail(Usage, QStringLiteral("%1: %2").arg(source, file.errorString()));
            text = file.readAll();
        }
        parsed = configtext::fromLines(std::string_view(text.constData(), std::size_t(text.size())),
                                       o_.board);
        if (!parsed.ok())
            return fail(Refused, QStringLiteral("%1: %2").arg(source, toQ(parsed.message())));
        view = parsed.view;
    }
    const corvane::save::SavePlan plan =
        corvane::save::planSave(view, configtext::saveState(view, o_.board));
    if (!plan.message.empty()) {
        const int line = configtext::refusedLine(plan.message, parsed);
        return fail(
            Refused,
            line > 0
                ? QStringLiteral("%1: line %2: %3").arg(source).arg(line).arg(toQ(plan.message))
                : QStringLiteral("%1: %2").arg(source, toQ(plan.message)));
    }
    const steps::Steps all = plan.all();
    stepsTotal_ = int(all.size());
    if (!runSteps(all))
        return NoAnswer;
    return missedAck_ ? fail(NoAnswer, QStringLiteral("some commands were not acknowledged"))
                      : Done;
}

// "Start Stream" (then the FEC boxes ticked as asked) or "Stop Stream" with the FEC boxes as
// given: the window's sequences for a board that is stopped or streaming.
int Session::startStop() {
    controls::ConfigView view;
    view[Ctl::LFEC].text = o_.fecL.toStdString();
    view[Ctl::DFEC].text = o_.fecD.toStdString();
    if (o_.fec && !frames::fecOn(view.text(Ctl::LFEC), view.text(Ctl::DFEC)))
        return fail(Refused,
                    toQ(corvane::fec::tooLongMessage(view.text(Ctl::LFEC), view.text(Ctl::DFEC))));
    steps::Steps sequence;
    if (o_.command == QLatin1String("start")) {
        sequence = planSteps(corvane::streaming::planStartStream(false), view);
        corvane::plan::Plan boxes;
        if (o_.fec)
            boxes.add(controls::Action::setChecked(Ctl::CEFEC, true));
        if (o_.fecError)
            boxes.add(controls::Action::setChecked(Ctl::ERRFEC, true));
        const steps::Steps more = planSteps(boxes, view);
        sequence.insert(sequence.end(), more.begin(), more.end());
    } else {
        view[Ctl::CEFEC].checked = o_.fec;
        view[Ctl::ERRFEC].checked = o_.fecError;
        sequence = planSteps(corvane::streaming::planStopStream(view, true), view);
    }
    stepsTotal_ = int(sequence.size());
    return runSteps(sequence) ? Done : NoAnswer;
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
        waitFor([&] { return seen; }, kUdpReplyMs);
    if (!seen)
        return fail(NoAnswer, QStringLiteral("no firmware text within 1 s"));
    out(text + '\n');
    return Done;
}

// A command the board may not answer (it reboots, leaves its application); nothing is awaited.
int Session::single(const std::string& frame) {
    answered_ = true;
    return runSteps({steps::Step::send(frame)}) ? Done : NoAnswer;
}

} // namespace cli
