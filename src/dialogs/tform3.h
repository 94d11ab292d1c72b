#pragma once
#include <QDialog>

// The dialog's contents come with their own features; for now it exists with its caption.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
};
