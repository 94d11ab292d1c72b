#pragma once
// What the operator does with the windows' lists, for window tests.
#include <QStringList>

class QComboBox;

// The operator opens the list and clicks an item, as with the mouse; the list's "activated"
// follows even when the item was selected already.
void pick(QComboBox* list, int index);
void pick(QComboBox* list, const QString& item);

// The texts of a list's items, in order.
QStringList items(const QComboBox* list);

// Opening a list on the offscreen platform warns that the popup cannot be raised or grab the
// keyboard; those lines say nothing about the program, so this keeps them out of the test log.
void quietPopupWarnings();
