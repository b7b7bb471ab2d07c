#include "config/deployment.h"
#include "query/addresses.h"
#include "shell/aboutwindow.h"
#include "shell/mainwindowlifecycle.h"
#include "support/querywindow.h"
#include "ui/mainwindow.h"
#include "ui/sitelinks.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
// The maker's site, whose host the build sets (MIRELO_HOST_FANSITE).
QString fanSite()
{
    return QStringLiteral("http://") + QLatin1String(Deployment::fanSiteHost) + u'/';
}

QLabel *label(QWidget *window, const char *name)
{
    return window->findChild<QLabel *>(QString::fromLatin1(name));
}

AboutWindow *openAbout(MainWindow *window)
{
    window->findChild<QAction *>("cxxx")->trigger();
    return qobject_cast<AboutWindow *>(QApplication::activeModalWidget());
}
} // namespace

class TestAbout : public QObject
{
    Q_OBJECT
private slots:
    void windowAndTexts();
    void linksOpenTheirAddresses_data();
    void linksOpenTheirAddresses();
    void plainLabelsDoNothing_data();
    void plainLabelsDoNothing();
    void openedModallyFromTheMenuEachTimeAfresh();
};

void TestAbout::windowAndTexts()
{
    RecordingDesktop desktop;
    AboutWindow about(&desktop);
    QCOMPARE(about.objectName(), QStringLiteral("Form4"));
    QCOMPARE(about.windowTitle(), QStringLiteral("关于程序"));
    QCOMPARE(about.size(), QSize(389, 396));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    const Qt::WindowFlags flags = about.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));

    QCOMPARE(label(&about, "aicAlphaImage1")->pixmap().size(), QSize(120, 120));
    QCOMPARE(label(&about, "Label10")->text(), QStringLiteral("版本号：6.0.585"));

    const QStringList title = label(&about, "Label9")->text().split(u'\n');
    QCOMPARE(title.size(), 3);
    QCOMPARE(title[0], QStringLiteral("Zv系列软件のMirelo"));
    QVERIFY(title[1].isEmpty());
    QVERIFY(!title[2].isEmpty());

    const QStringList about1 = label(&about, "Label1")->text().split(u'\n');
    QCOMPARE(about1.size(), 8);
    QCOMPARE(about1.mid(0, 7),
             QStringList({"本程序可帮助您快速查询QQ空间各项信息", "",
                          "操作简单易懂，只需输入QQ号码就可快速查询", "",
                          "有权限的空间：说说、访问人气暂时不可查询", "", ""}));
    QVERIFY(!about1[7].isEmpty());

    QCOMPARE(label(&about, "Label3")->text(), QStringLiteral("联系方式："));
    QCOMPARE(label(&about, "Label4")->text(), QStringLiteral("YY：10000"));
    QCOMPARE(label(&about, "Label5")->text(), QStringLiteral("QQ：10000"));
    QCOMPARE(label(&about, "Label5")->toolTip(), QStringLiteral("QQ交谈"));
    QCOMPARE(label(&about, "Label6")->text(), QStringLiteral("E-mail：maker@mirelo.invalid"));
    QCOMPARE(label(&about, "Label6")->toolTip(), QStringLiteral("发送E-mail"));
    QCOMPARE(label(&about, "Label7")->text(), QStringLiteral("ZV系列软件官方论坛"));
    QCOMPARE(label(&about, "Label8")->text(), fanSite());
    QCOMPARE(label(&about, "Label8")->toolTip(), QStringLiteral("访问ZV系列软件官方论坛"));
    QCOMPARE(about.findChild<QPushButton *>("Command1")->text(), QStringLiteral("确定"));
}

void TestAbout::linksOpenTheirAddresses_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::newRow("Label5 chat") << "Label5" << QStringLiteral("tencent://message/?uin=10000");
    QTest::newRow("Label6 mail") << "Label6" << QStringLiteral("mailto:maker@mirelo.invalid");
    QTest::newRow("Label8 fan-site") << "Label8" << fanSite();
}

void TestAbout::linksOpenTheirAddresses()
{
    QFETCH(QString, name);
    QFETCH(QString, address);
    RecordingDesktop desktop;
    AboutWindow about(&desktop);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QLabel *link = about.findChild<QLabel *>(name);
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);

    // Pressed on the link but let go elsewhere: no click.
    QTest::mousePress(link, Qt::LeftButton, {}, link->rect().center());
    QTest::mouseRelease(link, Qt::LeftButton, {}, link->rect().bottomRight() + QPoint(30, 30));
    // Only the left button follows a link.
    QTest::mouseClick(link, Qt::RightButton, {}, link->rect().center());
    QTest::mouseClick(link, Qt::MiddleButton, {}, link->rect().center());
    QVERIFY(desktop.opened.isEmpty());

    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
    QCOMPARE(desktop.opened, QStringList {address});
    QVERIFY(about.isVisible());
}

void TestAbout::plainLabelsDoNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("Label4") << "Label4";
    QTest::newRow("Label7") << "Label7";
    QTest::newRow("Label9") << "Label9";
}

void TestAbout::plainLabelsDoNothing()
{
    QFETCH(QString, name);
    RecordingDesktop desktop;
    AboutWindow about(&desktop);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QLabel *plain = about.findChild<QLabel *>(name);
    QTest::mouseClick(plain, Qt::LeftButton, {}, plain->rect().center());
    QTest::mouseDClick(plain, Qt::LeftButton, {}, plain->rect().center());
    QVERIFY(desktop.opened.isEmpty());
    QVERIFY(desktop.started.isEmpty());
    QVERIFY(about.isVisible());
}

void TestAbout::openedModallyFromTheMenuEachTimeAfresh()
{
    // Nothing answers this window; the check's timer is stopped below so it never asks.
    QueryWindow app(QueryWindow::Open::Later);
    MainWindow *window = app.openWindow(MainWindowLifecycle::openMainWindow);
    const RecordingDesktop &desktop = app.desktop();
    window->findChild<QTimer *>("Timer2")->stop();
    QVERIFY(QTest::qWaitForWindowExposed(window));

    for (int opening = 0; opening < 2; ++opening) {
        QPointer<AboutWindow> about = openAbout(window);
        QVERIFY(about);
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QCOMPARE(about->windowModality(), Qt::ApplicationModal);
        QCOMPARE(label(about, "Label10")->text(), QStringLiteral("版本号：6.0.585"));

        // The main window takes no input meanwhile: a click on its forum button is lost.
        QPushButton *forum = window->findChild<QPushButton *>("Command6");
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                          forum->mapTo(window, forum->rect().center()));
        QVERIFY(desktop.opened.isEmpty());

        QTest::mouseClick(about->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        QTRY_VERIFY(about.isNull());
    }

    // With the About window gone, the same click gets through.
    QPushButton *forum = window->findChild<QPushButton *>("Command6");
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      forum->mapTo(window, forum->rect().center()));
    QCOMPARE(desktop.opened, QStringList {SiteLinks::forumHome()});
    QVERIFY(app.prompt().asked().isEmpty());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
