// A caption that keeps its picture looks on the screen exactly like a plain label given the same
// settings, also after its text, palette, font or enabled state changed and after hiding and
// showing it again; the window's pixels are compared as the backing store holds them.
#include "app/widgets.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

class CachedLabelTest : public QObject {
    Q_OBJECT

    QWidget window;
    QLabel* plain = nullptr;
    CachedLabel* cached = nullptr;

    QImage onScreen(QLabel* label) {
        label->repaint();
        const QRect r(label->mapTo(&window, QPoint()), label->size());
        return window.screen()
            ->grabWindow(window.winId(), r.x(), r.y(), r.width(), r.height())
            .toImage();
    }

    // Twice: the first paint after a change may be the plain label's own, the second is the
    // kept picture.
    bool looksAlike() {
        for (int pass = 0; pass < 2; ++pass) {
            QCoreApplication::processEvents();
            const QImage want = onScreen(plain);
            if (want.isNull() || onScreen(cached) != want)
                return false;
        }
        return true;
    }

    template <typename F> void both(F change) {
        change(plain);
        change(cached);
    }

private slots:
    void init() {
        window.resize(240, 100);
        window.setAutoFillBackground(true);
        plain = new QLabel(&window);
        cached = new CachedLabel(&window);
        plain->setGeometry(10, 10, 97, 38);
        cached->setGeometry(120, 10, 97, 38);
        QPalette pal = window.palette();
        pal.setColor(QPalette::Window, QColor(255, 251, 240));
        pal.setColor(QPalette::WindowText, QColor(0, 128, 0));
        QFont font = window.font();
        font.setPointSize(20);
        font.setBold(true);
        both([&](QLabel* l) {
            l->setText(QStringLiteral("READY"));
            l->setTextFormat(Qt::PlainText);
            l->setAlignment(Qt::AlignCenter);
            l->setAutoFillBackground(true);
            l->setPalette(pal);
            l->setFont(font);
        });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    void cleanup() {
        delete plain;
        delete cached;
    }

    void looksLikeAPlainLabel() {
        QVERIFY2(looksAlike(), "as made");
        both([](QLabel* l) { l->setText(QStringLiteral("UDP Connected 7")); });
        QVERIFY2(looksAlike(), "new text");
        both([](QLabel* l) {
            QPalette pal = l->palette();
            pal.setColor(QPalette::WindowText, Qt::red);
            pal.setColor(QPalette::Window, Qt::yellow);
            l->setPalette(pal);
        });
        QVERIFY2(looksAlike(), "new palette");
        both([](QLabel* l) {
            QFont f = l->font();
            f.setPointSize(12);
            l->setFont(f);
        });
        QVERIFY2(looksAlike(), "new font");
        both([](QLabel* l) { l->setEnabled(false); });
        QVERIFY2(looksAlike(), "disabled");
        both([](QLabel* l) { l->setEnabled(true); });
        both([](QLabel* l) { l->setAlignment(Qt::AlignRight | Qt::AlignBottom); });
        QVERIFY2(looksAlike(), "new alignment");
        for (int i = 0; i < 3; ++i) {
            cached->hide();
            QCoreApplication::processEvents();
            cached->show();
        }
        QVERIFY2(looksAlike(), "hidden and shown again");
        both([](QLabel* l) { l->resize(80, 30); });
        QVERIFY2(looksAlike(), "smaller");
    }

    // Without an opaque background of its own, what lies behind shows through: painted as a
    // plain label every time.
    void transparentBackgroundIsPaintedEachTime() {
        both([](QLabel* l) { l->setAutoFillBackground(false); });
        QVERIFY2(looksAlike(), "no background of its own");
        QPalette pal = window.palette();
        pal.setColor(QPalette::Window, Qt::cyan);
        window.setPalette(pal);
        both([](QLabel* l) { l->setPalette(QPalette()); }); // take the window's again
        QVERIFY2(looksAlike(), "what lies behind changed");
    }
};

QTEST_MAIN(CachedLabelTest)
#include "cached_label_test.moc"
