#include "shell/splashwindow.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
QList<int> expectedFadeIn()
{
    QList<int> alphas;
    for (int a = 0; a <= 255; a += 15)
        alphas.append(a);
    return alphas;
}

QList<int> expectedFadeOut()
{
    QList<int> alphas;
    for (int a = 255; a >= 0; a -= 15)
        alphas.append(a);
    return alphas;
}

// The opacity the window really has, on the 0..255 scale.
int shownAlpha(const QWidget &w)
{
    return qRound(w.windowOpacity() * 255);
}
} // namespace

class TestSplash : public QObject
{
    Q_OBJECT
private slots:
    void startsInvisibleAndFadingIn();
    void fadeInTakesEighteenTicksAndNeverHandsOver();
    void clickMidFadeInFadesOutFromOpaque();
    void clickDuringFadeOutChangesNothing();
    void pressDraggedOffIsNoClick();
    void realTimersHandOverOnceAfterTheClick();
    void roundCornersAndCentred();
    void pictureFillsTheWindow();
};

void TestSplash::startsInvisibleAndFadingIn()
{
    QTemporaryDir dir;
    SplashWindow splash(dir.path());
    QCOMPARE(splash.objectName(), QStringLiteral("Form3"));
    QCOMPARE(splash.size(), QSize(599, 395));
    QCOMPARE(splash.minimumSize(), splash.maximumSize());
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(shownAlpha(splash), 0);

    auto *timer1 = splash.findChild<QTimer *>("Timer1");
    auto *timer2 = splash.findChild<QTimer *>("Timer2");
    QVERIFY(timer1 && timer2);
    QVERIFY(timer1->isActive());
    QCOMPARE(timer1->interval(), 50);
    QVERIFY(!timer2->isActive());
    QCOMPARE(timer2->interval(), 50);
    // Loading wrote the support files.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 9);
}

void TestSplash::fadeInTakesEighteenTicksAndNeverHandsOver()
{
    QTemporaryDir dir;
    SplashWindow splash(dir.path());
    QSignalSpy handOver(&splash, &SplashWindow::handOver);
    auto *timer1 = splash.findChild<QTimer *>("Timer1");

    QList<int> alphas;
    for (int tick = 0; tick < 18; ++tick) {
        QVERIFY2(timer1->isActive(), qPrintable(QString::number(tick)));
        splash.onTimer1Timeout();
        alphas.append(shownAlpha(splash));
    }
    QCOMPARE(alphas, expectedFadeIn());
    QVERIFY(!timer1->isActive());
    // Opaque now, and it stays so until clicked.
    QVERIFY(!splash.findChild<QTimer *>("Timer2")->isActive());
    QCOMPARE(handOver.count(), 0);
}

// The tick tests give the ticks themselves and never run the event loop in between, so the
// real 50 ms timers never fire; their running state is still what the window set.
void TestSplash::clickMidFadeInFadesOutFromOpaque()
{
    QTemporaryDir dir;
    QPointer<SplashWindow> splash = new SplashWindow(dir.path());
    auto *timer1 = splash->findChild<QTimer *>("Timer1");
    auto *timer2 = splash->findChild<QTimer *>("Timer2");
    for (int tick = 0; tick < 5; ++tick)
        splash->onTimer1Timeout();
    QCOMPARE(shownAlpha(*splash), 60);

    QTest::mouseClick(splash, Qt::LeftButton, {}, QPoint(300, 200));
    QVERIFY(!timer1->isActive());
    QVERIFY(timer2->isActive());

    QList<int> alphas;
    QList<int> alphaAtHandOver;
    connect(splash, &SplashWindow::handOver, this,
            [&] { alphaAtHandOver.append(shownAlpha(*splash)); });
    for (int tick = 0; tick < 18; ++tick) {
        QVERIFY2(alphaAtHandOver.isEmpty(), qPrintable(QString::number(tick)));
        splash->onTimer2Timeout();
        alphas.append(shownAlpha(*splash));
    }
    QCOMPARE(alphas, expectedFadeOut());
    QCOMPARE(alphaAtHandOver, QList<int> {0});
    QVERIFY(!timer2->isActive());
    QTRY_VERIFY(splash.isNull()); // unloaded
}

void TestSplash::clickDuringFadeOutChangesNothing()
{
    QTemporaryDir dir;
    SplashWindow splash(dir.path());
    splash.setAttribute(Qt::WA_DeleteOnClose, false);
    auto *timer1 = splash.findChild<QTimer *>("Timer1");
    auto *timer2 = splash.findChild<QTimer *>("Timer2");
    QSignalSpy handOver(&splash, &SplashWindow::handOver);

    QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(10, 200));
    for (int tick = 0; tick < 5; ++tick)
        splash.onTimer2Timeout();
    QCOMPARE(shownAlpha(splash), 195);

    QTest::mouseClick(&splash, Qt::RightButton, {}, QPoint(500, 100));
    QTest::mouseClick(&splash, Qt::LeftButton, {}, QPoint(300, 200));
    QVERIFY(!timer1->isActive());
    QVERIFY(timer2->isActive());
    QList<int> alphas;
    for (int tick = 0; tick < 13; ++tick) {
        splash.onTimer2Timeout();
        alphas.append(shownAlpha(splash));
    }
    QCOMPARE(alphas, expectedFadeOut().mid(5));
    QCOMPARE(handOver.count(), 1);
}

void TestSplash::pressDraggedOffIsNoClick()
{
    QTemporaryDir dir;
    SplashWindow splash(dir.path());
    splash.setAttribute(Qt::WA_DeleteOnClose, false);
    auto *timer1 = splash.findChild<QTimer *>("Timer1");
    auto *timer2 = splash.findChild<QTimer *>("Timer2");

    // Pressed on the window, released beside it: the user changed their mind.
    QTest::mousePress(&splash, Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseRelease(&splash, Qt::LeftButton, {}, QPoint(splash.width() + 40, 200));
    // That press is spent: a release with no press of its own is no click either.
    QTest::mouseRelease(&splash, Qt::LeftButton, {}, QPoint(300, 200));
    QVERIFY(timer1->isActive());
    QVERIFY(!timer2->isActive());
}

void TestSplash::realTimersHandOverOnceAfterTheClick()
{
    QTemporaryDir dir;
    QPointer<SplashWindow> splash = new SplashWindow(dir.path());
    QSignalSpy handOver(splash.data(), &SplashWindow::handOver);
    splash->show();
    QVERIFY(QTest::qWaitForWindowExposed(splash));
    auto *timer1 = splash->findChild<QTimer *>("Timer1");
    QTRY_VERIFY_WITH_TIMEOUT(!timer1->isActive(), 5000);
    QCOMPARE(shownAlpha(*splash), 255);
    QCOMPARE(handOver.count(), 0);

    QTest::mouseClick(splash, Qt::LeftButton, {}, QPoint(300, 200));
    QTRY_COMPARE_WITH_TIMEOUT(handOver.count(), 1, 5000);
    QTRY_VERIFY(splash.isNull());
    QCOMPARE(handOver.count(), 1);
}

void TestSplash::roundCornersAndCentred()
{
    QTemporaryDir dir;
    SplashWindow splash(dir.path());
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));

    // Corner ellipses of 50 x 50 pixels cut the four corners; the edges between stay.
    const QRegion shape = splash.mask();
    for (const QPoint corner : {QPoint(0, 0), QPoint(6, 6), QPoint(598, 0), QPoint(592, 6),
                                QPoint(0, 394), QPoint(6, 388), QPoint(598, 394)})
        QVERIFY2(!shape.contains(corner),
                 qPrintable(QStringLiteral("%1,%2").arg(corner.x()).arg(corner.y())));
    for (const QPoint inside : {QPoint(299, 197), QPoint(12, 12), QPoint(299, 1), QPoint(1, 197),
                                QPoint(597, 197), QPoint(299, 393), QPoint(586, 382)})
        QVERIFY2(shape.contains(inside),
                 qPrintable(QStringLiteral("%1,%2").arg(inside.x()).arg(inside.y())));

    const QPoint screenCentre = splash.screen()->availableGeometry().center();
    QVERIFY((splash.geometry().center() - screenCentre).manhattanLength() <= 2);
}

void TestSplash::pictureFillsTheWindow()
{
    QTemporaryDir dir;
    const QImage shown = SplashWindow(dir.path()).grab().toImage();
    // The bottom row and the right column carry on the picture next to them.
    const auto distance = [&shown](QPoint a, QPoint b) {
        const QColor p = shown.pixelColor(a), q = shown.pixelColor(b);
        return qAbs(p.red() - q.red()) + qAbs(p.green() - q.green()) + qAbs(p.blue() - q.blue());
    };
    for (int x : {100, 300, 500})
        QVERIFY2(distance({x, 394}, {x, 392}) < 30, qPrintable(QString::number(x)));
    QVERIFY(distance({598, 200}, {596, 200}) < 30);
}

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
