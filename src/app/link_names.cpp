// The product's names for the parts of the board link and the board search: one-line
// forwarders, so that every handler (and every test) keeps calling them by those names.
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

void TForm1::Timer3Timer() {
    link.ackTimeout();
}

bool TForm1::udpActive() const {
    return link.udpConnected();
}

void TForm1::ComPort1RxChar() {
    link.receiveSerial();
}

// The UDP dispatch: the datagram replaces the receive buffer.
void TForm1::UDPRxChar(const std::string& text, int count) {
    link.receiveDatagram(text.substr(0, static_cast<size_t>(std::max(count, 0))));
}

void TForm1::Timer2Timer() {
    search.tick();
}

void TForm1::TestforConnectionRS232() {
    search.trySerial();
}

void TForm1::TestforConnectionUDP() {
    search.tryUdp();
}
