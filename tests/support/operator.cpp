#include "support/operator.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QTest>

void pick(QComboBox* list, int index) {
    list->showPopup();
    QAbstractItemView* view = list->view();
    const QRect r = view->visualRect(view->model()->index(index, list->modelColumn()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    if (view->isVisible())
        qFatal("the list of %s did not close", qPrintable(list->objectName()));
}

void pick(QComboBox* list, const QString& item) {
    const int index = list->findText(item, Qt::MatchExactly);
    if (index < 0)
        qFatal("%s has no item %s", qPrintable(list->objectName()), qPrintable(item));
    pick(list, index);
}

QStringList items(const QComboBox* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    return texts;
}

namespace {
QtMessageHandler testLog = nullptr;
void quietPopups(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QLatin1String("This plugin does not support")))
        return;
    testLog(type, context, text);
}
} // namespace

void quietPopupWarnings() {
    if (!testLog)
        testLog = qInstallMessageHandler(quietPopups);
}
