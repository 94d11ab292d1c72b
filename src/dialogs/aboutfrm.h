#pragma once
#include <QDialog>

// The About box; its contents come with their own feature.
class TAboutfrm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutfrm(QWidget* parent = nullptr);
};
