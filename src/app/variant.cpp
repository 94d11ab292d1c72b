// The board variant: the main window's title, stream group captions and sensor-input lists.
#include "app/status_strip.h"
#include "app/tform1.h"

#include "dialogs/tform4.h"
#include "platform/files.h"
#include "platform/prompts.h"
#include "ui_tform1.h"

namespace variant = corvane::variant;

void TForm1::applyVariant(const variant::VariantEffect& effect) {
    if (!effect.title.empty())
        setWindowTitle(platform::toQ(effect.title));
    const std::pair<const std::optional<variant::StreamView>&, std::pair<QComboBox*, QGroupBox*>>
        streams[] = {{effect.stream11, {ui->S1I, ui->GroupBox1}},
                     {effect.stream12, {ui->S2I, ui->GroupBox2}}};
    for (const auto& [view, controls] : streams) {
        if (!view)
            continue;
        const auto [list, group] = controls;
        list->clear();
        for (const std::string& item : view->items)
            list->addItem(platform::toQ(item));
        list->setCurrentIndex(view->selected);
        group->setTitle(platform::toQ(view->caption));
    }
    Board = effect.flags;
    if (effect.c11gIndex)
        Form4->setC11GIndex(*effect.c11gIndex);
    if (effect.c12gIndex)
        Form4->setC12GIndex(*effect.c12gIndex);
}

void TForm1::saveBoard(int c11gIndex, int c12gIndex) {
    QString error;
    const QString path = AppDir + QStringLiteral("/brdf.ini");
    if (!platform::files::writeSetting(path, variant::writeBoardFile(Board, c11gIndex, c12gIndex),
                                       &error)) {
        platform::message(QStringLiteral("Cannot write %1: %2").arg(path, error));
        return;
    }
    applyVariant(variant::saveBoardDialog(Board, c11gIndex, c12gIndex));
    Form4->hide();
    strip_->clearLinkState();
}
