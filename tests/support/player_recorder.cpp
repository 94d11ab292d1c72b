#include "support/player_recorder.h"

namespace pp = platform::player;

class RecordedDesktop final : public pp::Desktop {
public:
    explicit RecordedDesktop(PlayerRecorder& recorder) : r_(recorder) {}

    std::vector<pp::WindowId> findWindows(const std::string& title, std::size_t limit) override {
        record(QStringLiteral("find"));
        std::vector<pp::WindowId> found;
        for (int i = 0; i < r_.titles_.size() && found.size() < limit; ++i) {
            if (r_.titles_[i] == QString::fromStdString(title))
                found.push_back(static_cast<pp::WindowId>(i + 1));
        }
        return found;
    }
    void activate(pp::WindowId window) override {
        record(QStringLiteral("activate %1").arg(window));
        focus_ = r_.focusRefused ? 0 : window;
    }
    bool hasFocus(pp::WindowId window) override { return focus_ == window; }
    void key(pp::Key key, bool down) override {
        const char* name = key == pp::Key::Control ? "Control" : key == pp::Key::S ? "S" : "O";
        record(QStringLiteral("%1 %2").arg(name, down ? "down" : "up"));
    }

private:
    void record(const QString& text) { r_.actions.append({text, r_.clock_.elapsed()}); }
    PlayerRecorder& r_;
    pp::WindowId focus_ = 0;
};

PlayerRecorder::PlayerRecorder(QStringList titles) : titles_(std::move(titles)) {
    clock_.start();
    pp::setDesktopFactory([this] { return std::make_unique<RecordedDesktop>(*this); });
}

PlayerRecorder::~PlayerRecorder() {
    pp::setDesktopFactory({});
}

QStringList PlayerRecorder::texts() const {
    QStringList list;
    for (const Action& a : actions)
        list << a.text;
    return list;
}

void PlayerRecorder::mark(const QString& text) {
    actions.append({text, clock_.elapsed()});
}
