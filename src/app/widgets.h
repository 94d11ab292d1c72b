#pragma once
// Small widgets the main window needs beyond the stock ones.
#include <QColor>
#include <QLabel>
#include <QWidget>

// A panel with a caption that reports a mouse press as a click.
class ClickPanel : public QLabel {
    Q_OBJECT
public:
    explicit ClickPanel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// A round indicator; its fill colour is its state.
class ShapeIndicator : public QWidget {
    Q_OBJECT
public:
    explicit ShapeIndicator(QWidget* parent = nullptr);
    QColor fillColor() const { return fill_; }
    void setFillColor(const QColor& colour);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QColor fill_{128, 128, 128};
};
