#include "support/acking_pty.h"

#include <poll.h>
#include <unistd.h>

AckingPty::AckingPty() {
    notifier_ = new QSocketNotifier(pty_.masterFd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &AckingPty::readable);
}

AckingPty::~AckingPty() {
    notifier_->setEnabled(false);
}

void AckingPty::clear() {
    raw.clear();
    batches.clear();
}

void AckingPty::readable() {
    char buffer[8192];
    ssize_t n = ::read(pty_.masterFd(), buffer, sizeof buffer);
    if (n <= 0) {
        notifier_->setEnabled(false);
        return;
    }
    // The terminal hands written bytes on to this end a little later, so one read may hold only
    // part of what the program wrote before it let events through. The program writes nothing
    // while this runs (it runs inside the program's event processing or the test's), so what
    // comes within a short while still belongs to the same batch.
    QByteArray received(buffer, n);
    pollfd p{pty_.masterFd(), POLLIN, 0};
    while (::poll(&p, 1, 30) > 0 && (p.revents & POLLIN)) {
        n = ::read(pty_.masterFd(), buffer, sizeof buffer);
        if (n <= 0)
            break;
        received.append(buffer, n);
    }
    raw += received;
    pending_ += received;
    QStringList batch;
    QByteArray answer;
    qsizetype cr;
    while ((cr = pending_.indexOf('\r')) >= 0) {
        const QByteArray frame = pending_.left(cr);
        pending_.remove(0, cr + 1);
        QString shown;
        for (const char c : frame) {
            const auto u = static_cast<unsigned char>(c);
            shown += u >= 0x20 && u < 0x7f ? QString(QChar(c))
                                           : QStringLiteral("<x%1>").arg(u, 2, 16, QChar('0'));
        }
        batch << shown;
        if (!unanswered.contains(frame))
            answer += "55";
    }
    if (!batch.isEmpty())
        batches << batch.join(' ');
    if (!answer.isEmpty())
        pty_.write(answer);
}
