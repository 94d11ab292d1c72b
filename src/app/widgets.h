#pragma once
// Small widgets the main window needs beyond the stock ones.
#include <QColor>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

// A panel with a caption that reports a mouse press as a click. It takes the focus (Tab or a
// click), shows it with a focus frame, and takes Space and Enter as a click; a screen reader hears
// it as a button named by its caption, which it can press.
class ClickPanel : public QLabel {
    Q_OBJECT
public:
    explicit ClickPanel(QWidget* parent = nullptr);
    void click() { emit clicked(); }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

// A group box whose caption has a colour and a size of its own while its controls keep the
// window's look. Only the caption is painted differently: the controls inherit the window's palette
// and font untouched, so they share them (and the style's pictures of them) with the rest of the
// window, and disabled controls keep the disabled look.
class CaptionGroupBox : public QGroupBox {
    Q_OBJECT
public:
    explicit CaptionGroupBox(QWidget* parent = nullptr);
    void setCaptionLook(const QColor& colour, int pointSize);
    QColor captionColour() const { return captionColour_; }
    QFont captionFont() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor captionColour_;
    int captionPointSize_ = 0;
};

// A round indicator; its fill colour is its state. Like ClickPanel it takes the focus, shows it
// with a frame around the circle (which keeps kFrameMargin pixels free on every side for it) and
// takes Space and Enter as a click; a screen reader hears it as a button.
class ShapeIndicator : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFrameMargin = 3;
    explicit ShapeIndicator(QWidget* parent = nullptr);
    QColor fillColor() const { return fill_; }
    void setFillColor(const QColor& colour);
    void click() { emit clicked(); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QColor fill_{128, 128, 128};
};

// A caption that is shown and hidden many times a second with the same look: what it paints is
// kept as a picture and drawn again as long as nothing it depends on changes. It paints exactly
// what a QLabel paints; a caption without an opaque background of its own (the picture would miss
// what shines through) or with more than plain text is painted the plain QLabel way.
class CachedLabel : public QLabel {
    Q_OBJECT
public:
    explicit CachedLabel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool cacheable() const;
    struct Key {
        QString text;
        QSize size;
        qreal ratio = 0;
        int alignment = 0;
        int indent = 0;
        int margin = 0;
        bool operator==(const Key&) const = default;
    };
    Key key() const;
    void makePicture();
    QPixmap picture_;
    Key pictureKey_;
    bool drawingPicture_ = false;
    bool pictureQueued_ = false;
};
