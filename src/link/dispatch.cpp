// Reply accumulation and dispatch: the core scans the receive buffer and names the effects; they
// are applied here, in order.
#include "app/tform1.h"

#include "platform/files.h"
#include "platform/prompts.h"
#include "ui_tform1.h"

namespace rp = corvane::replies;

void TForm1::applyReplyEffect(const rp::Effect& effect) {
    using Kind = rp::Effect::Kind;
    switch (effect.kind) {
    case Kind::SetPanel9:
        ui->Panel9->setText(platform::toQ(effect.text));
        break;
    case Kind::SetReplySeen:
        ReplySeen = true;
        break;
    case Kind::ShowMessage:
        // Board text is shown as plain text; the event loop runs on while the box is open.
        platform::message(platform::toQ(effect.text));
        break;
    case Kind::FindAssem:
        FindAssem(effect.text);
        break;
    case Kind::ShowConnected:
        setConNot(QStringLiteral("Connected"), QColor(255, 0, 0));
        break;
    case Kind::DecodeAutRes:
        DecodeAutRes(effect.text);
        break;
    case Kind::ClearKeepAlivePending:
        KeepAlivePending = false;
        break;
    case Kind::SetRxFrame:
        RxFrame = effect.text;
        break;
    case Kind::DecodeConf:
        Decode_Conf(effect.text);
        break;
    case Kind::ShowReady:
        showReady();
        break;
    case Kind::EnableTimer1:
        startIfStopped(Timer1);
        break;
    }
}

// Runs after every received serial piece.
void TForm1::dispatchSerial() {
    rp::dispatch(
        RxBuffer, rp::Transport::Serial,
        [this] {
            return rp::DispatchFlags{KeepAlivePending, ComPort1->isOpen()};
        },
        [this](const rp::Effect& e) { applyReplyEffect(e); });
}

// The UDP dispatch: the datagram replaces the buffer.
void TForm1::UDPRxChar(const std::string& text, int count) {
    RxBuffer.assign(std::string_view(text).substr(0, static_cast<size_t>(std::max(count, 0))));
    rp::dispatch(
        RxBuffer, rp::Transport::Udp,
        [this] {
            return rp::DispatchFlags{KeepAlivePending, ComPort1->isOpen()};
        },
        [this](const rp::Effect& e) { applyReplyEffect(e); });
}
