// The product's names for the parts of the board link, the board search and the link's keeping:
// one-line forwarders, so that every handler (and every test) keeps calling them by those names.
#include "app/tform1.h"

#include <algorithm>

bool TForm1::CWriteStr(const std::string& text) {
    return link.send(text);
}

bool TForm1::runSteps(const corvane::steps::Steps& steps) {
    return link.runSteps(steps);
}

void TForm1::WaitforAck() {
    link.waitForAck();
}

bool TForm1::udpActive() const {
    return link.udpConnected();
}

// The UDP dispatch: the datagram replaces the receive buffer.
void TForm1::UDPRxChar(const std::string& text, int count) {
    link.receiveDatagram(text.substr(0, static_cast<size_t>(std::max(count, 0))));
}

// Every 5 s: a keep-alive; one still unanswered from the tick before means the board is gone.
void TForm1::Timer1Timer() {
    keeper.keepAliveTick();
}

void TForm1::StartKeepAlive1Click() {
    keeper.startKeepAlive();
}

void TForm1::StopKeepAlive1Click() {
    keeper.stopKeepAlive();
}

void TForm1::TestforConnectionRS232() {
    search.trySerial();
}
