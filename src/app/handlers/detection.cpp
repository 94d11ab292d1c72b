// The detection replies: auto-detection (answer to the keep-alive) and assembly.
#include "app/tform1.h"

#include "core/detection.h"
#include "dialogs/tform4.h"
#include "platform/files.h"
#include "platform/prompts.h"
#include "ui_tform1.h"

namespace detection = corvane::detection;

namespace {

std::vector<std::string> itemsOf(const QComboBox* list) {
    std::vector<std::string> items;
    for (int i = 0; i < list->count(); ++i)
        items.push_back(platform::fromQ(list->itemText(i)));
    return items;
}

} // namespace

// Selects the detected inputs (without running the lists' change handlers) and shows the client
// connection state. A format code that is not a number is reported; what was selected before it
// stays.
void TForm1::DecodeAutRes(const std::string& buffer) {
    applyActions(detection::autResActions(
        detection::decodeAutRes(buffer, Board, itemsOf(ui->S1I), itemsOf(ui->S2I))));
}

// The modules the board reports, shown in the board dialog's groups.
void TForm1::FindAssem(const std::string& text) {
    const detection::AssemblyResult result = detection::findAssem(text);
    Form4->assemblyAnswered();
    if (result.error) {
        platform::message(platform::toQ(*result.error));
        return;
    }
    if (result.c11g)
        Form4->setC11GIndex(*result.c11g);
    if (result.c12g)
        Form4->setC12GIndex(*result.c12g);
}
