#include "support/board_lists.h"

#include "app/tform1.h"
#include "core/variant.h"
#include "support/board_presets.h"
#include "support/recorder.h"

#include <QComboBox>

namespace cv = corvane::variant;

namespace {

void fill(TForm1& form1, const char* name, const std::vector<std::string>& items, int selected) {
    auto* list = child<QComboBox>(&form1, name);
    list->clear();
    for (const auto& item : items)
        list->addItem(QString::fromStdString(item));
    list->setCurrentIndex(selected);
}

} // namespace

void setBoard(TForm1& form1, const QString& board) {
    const QStringList p = board.split(' ');
    if (p[0] == "design") {
        fill(form1, "S1I", cv::designTimeList(), -1);
        fill(form1, "S2I", cv::designTimeList(), -1);
        return;
    }
    const cv::VariantEffect e =
        p[0] == "full" ? cv::applyFullVariant({})
                       : cv::applySmallVariant({}, moduleOf(p[1][0]), moduleOf(p[2][0]));
    fill(form1, "S1I", e.stream11->items, e.stream11->selected);
    fill(form1, "S2I", e.stream12->items, e.stream12->selected);
    form1.Board = e.flags;
}

void setInputs(TForm1& form1, const QString& board, const QString& input11,
               const QString& input12) {
    setBoard(form1, board);
    for (const auto& [name, input] : {std::pair{"S1I", input11}, std::pair{"S2I", input12}}) {
        auto* list = child<QComboBox>(&form1, name);
        list->setCurrentIndex(list->findText(input));
    }
}
