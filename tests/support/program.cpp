#include "support/program.h"

#include "platform/pacing.h"
#include "support/board_process.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

RunningProgram::RunningProgram(double timeScale) : RunningProgram(Setup{.timeScale = timeScale}) {}

RunningProgram::RunningProgram(const Setup& setup) : keepAlive_(setup.keepAlive) {
    platform::pacing::setScale(setup.timeScale);
    if (setup.startLater)
        return;
    dir.write("udpf.ini", "127.0.0.1\r\n127.0.0.1\r\n0\r\n");
    dir.write("brdf.ini", "Corvane\r\n");
    start();
    prompts.messages.clear();
}

void RunningProgram::start() {
    w = createWindows();
    f = w->Form1.get();
    if (!keepAlive_)
        f->Timer1->stop();
    f->show();
    runEventLoop(0);
    // Connected after the program's own handler, so it sees what the tick left.
    QObject::connect(f->Timer2, &QTimer::timeout, f,
                     [this] { panel5History << label("Panel5")->text(); });
}

RunningProgram::~RunningProgram() {
    w.reset();
    platform::pacing::setScale(1.0);
}

QCheckBox* RunningProgram::rs232() const {
    return child<QCheckBox>(f, "RS232Check");
}

QCheckBox* RunningProgram::udp() const {
    return child<QCheckBox>(f, "UDPCheck");
}

QLabel* RunningProgram::label(const QString& name) const {
    return child<QLabel>(f, name);
}

void RunningProgram::serialAt(const QString& path) {
    auto s = f->serialSettings;
    s.portName = path.toStdString();
    f->applySerialSettings(s);
}

void RunningProgram::udpAt(quint16 port) {
    child<QLineEdit>(w->Form2, "PortL")->setText(QString::number(port));
}

void RunningProgram::connectUdp(quint16 port) {
    udpAt(port);
    udp()->setChecked(true);
    f->Connect1Click();
}

void linkRows() {
    QTest::addColumn<Link>("link");
    QTest::newRow("udp") << Link::Udp;
    QTest::newRow("serial") << Link::Serial;
}

bool RunningProgram::connectToBoard(const BoardProcess& board, Link link) {
    serialAt(board.link());
    udpAt(board.port());
    (link == Link::Serial ? rs232() : udp())->setChecked(true);
    f->Connect1Click();
    f->Timer1->stop();
    f->Timer1->setInterval(3600 * 1000);
    return f->ComPort1->isOpen() || f->udpActive();
}

void RunningProgram::waitForSearch(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (f->Timer2->isActive() && clock.elapsed() < ms)
        runEventLoop(5);
}
