#include "app/value_marks.h"

#include "app/control_map.h"
#include "core/value_rules.h"
#include "platform/files.h"

#include <QLineEdit>

namespace values = corvane::values;

namespace {

const QString kWrongFrame = QStringLiteral("QLineEdit { border: 2px solid #d40000; }");

// The mark of one box: the frame and tooltip while the text cannot be right; the accessible
// description always says what is accepted, and first that the value is not, while it is not.
void mark(QLineEdit* edit, const values::ValueRule& rule) {
    const bool right = values::accepts(rule, platform::fromQ(edit->text()));
    const QString accepted = platform::toQ(values::acceptedText(rule));
    const QString sheet = right ? QString() : kWrongFrame;
    if (edit->styleSheet() != sheet)
        edit->setStyleSheet(sheet);
    edit->setToolTip(right ? QString() : accepted);
    edit->setAccessibleDescription(right ? accepted : QStringLiteral("Not accepted. ") + accepted);
}

} // namespace

void watchValues(const ControlMap& controls, corvane::controls::Window window) {
    for (const values::ValueRule& rule : values::kValueRules) {
        if (corvane::controls::info(rule.ctl).window != window)
            continue;
        auto* edit = qobject_cast<QLineEdit*>(controls.builtWidget(rule.ctl));
        if (!edit)
            continue;
        QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, &rule] { mark(edit, rule); });
        mark(edit, rule);
    }
}
