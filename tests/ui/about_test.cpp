// The About box: what it shows, that each opening shows this build's version, and that the
// maker's address goes to the desktop (recorded here, never opened).
#include "app/windows.h"
#include "support/program.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

namespace {

struct Program : RunningProgram {
    TAboutfrm* about() const { return f->aboutfrm(); }
    void chooseAbout() const { child<QAction>(f, "About1")->trigger(); }
};

QString accessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

const QString kAddress = QStringLiteral("https://www.corvane.example/");

} // namespace

class AboutTest : public QObject {
    Q_OBJECT
private slots:
    void eachOpeningShowsThisBuildsVersion() {
        Program p;
        auto* version = child<QLabel>(p.about(), "Label2");
        QCOMPARE(version->text(), QStringLiteral("Version 1.0.5.0"));
        QVERIFY(!p.about()->isVisible());

        p.chooseAbout();
        QVERIFY(p.about()->isVisible());
        QVERIFY(!p.about()->isModal());
        QCOMPARE(version->text(), QStringLiteral("Version " CORVANE_VERSION_TEXT));
        QCOMPARE(child<QLabel>(p.about(), "Label1")->text(), QStringLiteral("Corvane Control"));
        QCOMPARE(p.about()->windowTitle(), QStringLiteral("About"));

        // Closed with its button, changed meanwhile, opened again: the build's version is back.
        QTest::mouseClick(child<QPushButton>(p.about(), "BitBtn1"), Qt::LeftButton);
        QVERIFY(!p.about()->isVisible());
        version->setText(QStringLiteral("Version 9.9.9.9"));
        p.chooseAbout();
        QVERIFY(p.about()->isVisible());
        QCOMPARE(version->text(), QStringLiteral("Version " CORVANE_VERSION_TEXT));
        QVERIFY(p.prompts.messages.isEmpty());
    }

    void fixedSizeAboveTheOtherWindows() {
        Program p;
        p.chooseAbout();
        QVERIFY(p.about()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(p.about()->minimumSize(), p.about()->maximumSize());
        auto* memo = child<QTextEdit>(p.about(), "Memo1");
        QVERIFY(memo->isReadOnly());
        QVERIFY(!memo->toPlainText().isEmpty());
        for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next())
            QCOMPARE(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    }

    void clickingTheAddressHandsItToTheDesktop() {
        Program p;
        p.chooseAbout();
        auto* address = child<QLabel>(p.about(), "Label3");
        QCOMPARE(address->text(), kAddress);
        QVERIFY(address->font().underline());
        QCOMPARE(address->palette().color(QPalette::WindowText), QColor(Qt::blue));

        QTest::mouseClick(address, Qt::LeftButton);
        QCOMPARE(p.prompts.openedUrls, QStringList{kAddress});
        // A right click, or a press that is released elsewhere, opens nothing.
        QTest::mouseClick(address, Qt::RightButton);
        QTest::mousePress(address, Qt::LeftButton);
        QTest::mouseRelease(address, Qt::LeftButton, {}, QPoint(-5, -5));
        QCOMPARE(p.prompts.openedUrls, QStringList{kAddress});
        QVERIFY(p.prompts.messages.isEmpty());
        QVERIFY(p.about()->isVisible());
    }

    void pointerBecomesAHandOverTheAddress() {
        Program p;
        p.chooseAbout();
        auto* address = child<QLabel>(p.about(), "Label3");
        const QPalette before = address->palette();
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(address, &enter);
        QCOMPARE(p.about()->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(address->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(address->palette(), before);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(address, &leave);
        QCOMPARE(p.about()->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(address->cursor().shape(), Qt::ArrowCursor);
    }

    // A screen reader names each control by its caption; the version line by what it shows now.
    void accessibleNames() {
        Program p;
        p.chooseAbout();
        QCOMPARE(accessibleName(child<QLabel>(p.about(), "Label1")),
                 QStringLiteral("Corvane Control"));
        QCOMPARE(accessibleName(child<QLabel>(p.about(), "Label2")),
                 QStringLiteral("Version " CORVANE_VERSION_TEXT));
        QCOMPARE(accessibleName(child<QLabel>(p.about(), "Label3")), kAddress);
        QCOMPARE(accessibleName(child<QPushButton>(p.about(), "BitBtn1")), QStringLiteral("Close"));
        QVERIFY(!accessibleName(child<QTextEdit>(p.about(), "Memo1")).isEmpty());
        QVERIFY(!accessibleName(child<QLabel>(p.about(), "Image1")).isEmpty());
    }
};

QTEST_MAIN(AboutTest)
#include "about_test.moc"
