#include "app/widgets.h"

#include <QMouseEvent>
#include <QPainter>

ClickPanel::ClickPanel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void ClickPanel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    emit clicked();
}

ShapeIndicator::ShapeIndicator(QWidget* parent) : QWidget(parent) {}

void ShapeIndicator::setFillColor(const QColor& colour) {
    if (colour == fill_)
        return;
    fill_ = colour;
    update();
}

void ShapeIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(fill_);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void ShapeIndicator::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    emit clicked();
}
