#include "shell/splashwindow.h"
#include "shell/supportfiles.h"

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

namespace {
QByteArray resourceBytes(const SupportFiles::Entry &entry)
{
    QFile file(SupportFiles::resourcePath(entry));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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

bool anyMessageBox()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox *>(w))
            return true;
    }
    return false;
}
} // namespace

class TestSplash : public QObject
{
    Q_OBJECT
private slots:
    void supportFilesHoldTheEmbeddedBytes();
    void supportFilesReplaceWhatIsThere();
    void oneUnwritableFileDoesNotStopTheRest();
    void unwritableDirectoryIsSkippedSilently_data();
    void unwritableDirectoryIsSkippedSilently();

    void startsInvisibleAndFadingIn();
    void fadeInTakesEighteenTicksAndNeverHandsOver();
    void clickMidFadeInFadesOutFromOpaque();
    void clickDuringFadeOutChangesNothing();
    void pressDraggedOffIsNoClick();
    void realTimersHandOverOnceAfterTheClick();
    void roundCornersAndCentred();
    void pictureFillsTheWindow();
};

void TestSplash::supportFilesHoldTheEmbeddedBytes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(SupportFiles::writeAll(dir.path()), 9);

    QStringList names;
    for (const SupportFiles::Entry &entry : SupportFiles::SupportFileTable) {
        const QString path = SupportFiles::filePath(dir.path(), entry);
        QCOMPARE(QFileInfo(path).absolutePath(), QDir(dir.path()).absolutePath());
        const QByteArray expected = resourceBytes(entry);
        QVERIFY2(!expected.isEmpty(), entry.name);
        QCOMPARE(fileBytes(path), expected);
        names.append(QFileInfo(path).fileName());
    }
    QCOMPARE(names,
             QStringList({"SkinH_VB6.dll", "skinh.she", "COMDLG32.OCX", "MSCOMCTL.OCX",
                          "MSINET.OCX", "Image.OCX", "TABCTL32.OCX", "zv.mp3", "h.jpg"}));

    // What the main window relies on: a loadable module, the skin mark, a 100x100 picture.
    QVERIFY(fileBytes(dir.filePath("SkinH_VB6.dll"))
                    .startsWith("\x7f"
                                "ELF"));
    QVERIFY(fileBytes(dir.filePath("skinh.she")).startsWith(".SHE"));
    QCOMPARE(QImage(dir.filePath("h.jpg")).size(), QSize(100, 100));
    const QByteArray mp3 = fileBytes(dir.filePath("zv.mp3"));
    QVERIFY(mp3.startsWith("ID3")
            || (uchar(mp3.at(0)) == 0xff && (uchar(mp3.at(1)) & 0xe0) == 0xe0));
}

void TestSplash::supportFilesReplaceWhatIsThere()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Longer and shorter leftovers: both must end up exactly as embedded.
    const QString skin = dir.filePath("skinh.she");
    const QString picture = dir.filePath("h.jpg");
    {
        QFile longer(skin);
        QVERIFY(longer.open(QIODevice::WriteOnly));
        longer.write(QByteArray(256 * 1024, 'x'));
        QFile shorter(picture);
        QVERIFY(shorter.open(QIODevice::WriteOnly));
        shorter.write("old");
    }
    // A running instance holding the old file keeps reading the old bytes: the new file
    // replaces it whole instead of being written into it.
    QFile reader(skin);
    QVERIFY(reader.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    QCOMPARE(SupportFiles::writeAll(dir.path()), 9);
    QCOMPARE(reader.readAll(), QByteArray(256 * 1024, 'x'));
    QCOMPARE(fileBytes(skin), resourceBytes(SupportFiles::SupportFileTable[1]));
    QCOMPARE(fileBytes(picture), resourceBytes(SupportFiles::SupportFileTable[8]));

    // Every start writes them all again.
    QCOMPARE(SupportFiles::writeAll(dir.path()), 9);
    QCOMPARE(fileBytes(skin), resourceBytes(SupportFiles::SupportFileTable[1]));
}

void TestSplash::oneUnwritableFileDoesNotStopTheRest()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A directory in the way of "zv.mp3" cannot be replaced by a file, not even by root.
    QVERIFY(QDir(dir.path()).mkdir("zv.mp3"));
    QCOMPARE(SupportFiles::writeAll(dir.path()), 8);
    QVERIFY(QFileInfo(dir.filePath("zv.mp3")).isDir());
    QCOMPARE(fileBytes(dir.filePath("h.jpg")), resourceBytes(SupportFiles::SupportFileTable[8]));
    QCOMPARE(fileBytes(dir.filePath("SkinH_VB6.dll")),
             resourceBytes(SupportFiles::SupportFileTable[0]));
}

void TestSplash::unwritableDirectoryIsSkippedSilently_data()
{
    QTest::addColumn<bool>("readOnlyDirectory");
    QTest::newRow("read-only directory") << true;
    QTest::newRow("directory under a regular file") << false;
}

void TestSplash::unwritableDirectoryIsSkippedSilently()
{
    QFETCH(bool, readOnlyDirectory);
    QTemporaryDir base;
    QVERIFY(base.isValid());
    QString programDir;
    QTemporaryFile plainFile;
    if (readOnlyDirectory) {
        if (geteuid() == 0)
            QSKIP("root writes into read-only directories");
        programDir = base.filePath("ro");
        QVERIFY(QDir(base.path()).mkdir("ro"));
        QVERIFY(QFile::setPermissions(programDir, QFile::ReadOwner | QFile::ExeOwner));
    } else {
        QVERIFY(plainFile.open());
        programDir = plainFile.fileName() + "/program";
    }

    QCOMPARE(SupportFiles::writeAll(programDir), 0);

    // The splash itself goes on as usual: no message, fading in.
    QPointer<SplashWindow> splash = new SplashWindow(programDir);
    splash->show();
    QVERIFY(!anyMessageBox());
    QVERIFY(splash->findChild<QTimer *>("Timer1")->isActive());
    if (readOnlyDirectory)
        QVERIFY(QDir(programDir).isEmpty());
    else
        QVERIFY(!QFileInfo::exists(programDir));
    delete splash;
    if (readOnlyDirectory)
        QFile::setPermissions(programDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

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
