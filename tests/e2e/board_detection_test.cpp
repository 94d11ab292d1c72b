// The stand-in board's auto-detection reply, read by the program's own decoder: after a save has
// set a sensor input, the keep-alive's answer selects that same input or leaves the list alone;
// it never moves the operator's choice to another input.
#include "board_state.h"
#include "core/detection.h"
#include "core/frames.h"
#include "core/inputs.h"
#include "core/variant.h"

#include <QtTest>

using namespace corvane;
namespace board = corvane_board;

namespace {

variant::Module programModule(board::Module m) {
    switch (m) {
    case board::Module::Sdi:
        return variant::Module::Sdi;
    case board::Module::Analog:
        return variant::Module::Analog;
    case board::Module::Hdmi:
        return variant::Module::Hdmi;
    case board::Module::None:
        break;
    }
    return variant::Module::None;
}

} // namespace

class BoardDetectionTest : public QObject {
    Q_OBJECT
private slots:
    void keepAliveKeepsTheSavedInput_data() {
        QTest::addColumn<bool>("full");
        QTest::addColumn<int>("m11");
        QTest::addColumn<int>("m12");
        QTest::newRow("full board")
            << true << int(board::Module::Sdi) << int(board::Module::Analog);
        QTest::newRow("small board, HD SDI and HDMI")
            << false << int(board::Module::Sdi) << int(board::Module::Hdmi);
        QTest::newRow("small board, analog and HDMI")
            << false << int(board::Module::Analog) << int(board::Module::Hdmi);
        QTest::newRow("small board, HDMI and HD SDI")
            << false << int(board::Module::Hdmi) << int(board::Module::Sdi);
    }
    void keepAliveKeepsTheSavedInput() {
        QFETCH(bool, full);
        QFETCH(int, m11);
        QFETCH(int, m12);
        const auto modules = std::array{board::Module(m11), board::Module(m12)};
        board::Board b(board::makeState(full ? board::Variant::Full : board::Variant::Lumo,
                                        modules[0], modules[1]));
        variant::BoardFlags flags;
        flags.fullBoard = full;
        flags.boardVariant = full ? 0 : 1;
        int named = 0;
        for (int ch = 0; ch < 2; ++ch) {
            const auto channel = ch == 0 ? variant::Channel::Ch11 : variant::Channel::Ch12;
            const auto stream = ch == 0 ? frames::Stream::S11 : frames::Stream::S12;
            const std::vector<std::string>& items =
                full ? variant::fullList() : variant::moduleList(programModule(modules[ch]));
            for (int position = 0; position < int(items.size()); ++position) {
                const inputs::InputRow* row = inputs::inputRow(items[std::size_t(position)]);
                QVERIFY(row);
                // The operator's pick sets the module flags as the window does, then the save
                // sends the input.
                flags.modules(channel) =
                    full ? inputs::selectInput(flags, channel, row->item, 0, 0).modules
                         : variant::flagsFor(programModule(modules[ch]));
                std::string frame = frames::sensorInput(stream, row->inputChar);
                frame.pop_back(); // the board takes the line without its CR
                QCOMPARE(b.handleLine(frame).reply, std::optional<std::string>("55"));

                const auto reply = b.autoDetectReply();
                const auto result = detection::decodeAutRes(reply, flags, items, items);
                const std::optional<int> selected = ch == 0 ? result.s1i : result.s2i;
                const QByteArray what = QByteArray(row->item.data(), qsizetype(row->item.size())) +
                                        " -> " + QByteArray::fromStdString(reply);
                QVERIFY2(!result.error, what.constData());
                QVERIFY2(!selected || *selected == position, what.constData());
                named += selected.has_value();
            }
        }
        // Most inputs are named back, not merely left alone.
        QVERIFY2(named >= 4, QByteArray::number(named).constData());
    }
};

QTEST_APPLESS_MAIN(BoardDetectionTest)
#include "board_detection_test.moc"
