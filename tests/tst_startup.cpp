#include "shell/chineseqttexts.h"
#include "shell/platformchoice.h"
#include "ui/prompt.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace {
// Reads the buttons of the next message box, then presses its escape button. Gives up after
// about three seconds.
void readNextMessageBox(QStringList *buttonTexts)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [=] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            for (QAbstractButton *button : box->buttons())
                buttonTexts->append(button->text());
            QTest::mouseClick(box->escapeButton(), Qt::LeftButton);
            timer->deleteLater();
        } else if (++*tries > 300) {
            timer->deleteLater();
        }
    });
    timer->start();
}
// The texts as the user reads them, keyboard shortcut markers such as "(&Y)" dropped, sorted.
QStringList withoutShortcuts(QStringList texts)
{
    static const QRegularExpression marker(QStringLiteral("\\(&.\\)$"));
    for (QString &text : texts)
        text.remove(marker);
    texts.sort();
    return texts;
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void choosePlatform_data();
    void choosePlatform();
    void messageBoxButtonsAreChinese();
    void textBoxMenuIsChinese();
};

void TestStartup::initTestCase()
{
    // Run with LANG=C: the texts must not depend on the user's locale.
    QVERIFY(installChineseQtTexts(qApp));
}

void TestStartup::choosePlatform_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QByteArray>("platform");

    const QStringList x11 {"DISPLAY=:0"};
    QTest::newRow("plain X11") << QStringList {"XDG_SESSION_TYPE=x11", "DISPLAY=:0"}
                               << QByteArray();
    QTest::newRow("X11 without session type") << x11 << QByteArray();
    QTest::newRow("Wayland with XWayland")
            << QStringList {"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:1"}
            << QByteArray("xcb");
    QTest::newRow("Wayland display only, with XWayland")
            << QStringList {"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:1"} << QByteArray("xcb");
    QTest::newRow("Wayland session, upper case")
            << QStringList {"XDG_SESSION_TYPE=Wayland", "DISPLAY=:1"} << QByteArray("xcb");
    QTest::newRow("Wayland without XWayland")
            << QStringList {"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=wayland-0"}
            << QByteArray();
    QTest::newRow("Wayland, empty DISPLAY")
            << QStringList {"XDG_SESSION_TYPE=wayland", "DISPLAY="} << QByteArray();
    QTest::newRow("user chose wayland")
            << QStringList {"XDG_SESSION_TYPE=wayland", "DISPLAY=:1", "QT_QPA_PLATFORM=wayland"}
            << QByteArray();
    QTest::newRow("user chose offscreen")
            << QStringList {"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:1", "QT_QPA_PLATFORM=offscreen"}
            << QByteArray();
    QTest::newRow("empty choice is no choice")
            << QStringList {"XDG_SESSION_TYPE=wayland", "DISPLAY=:1", "QT_QPA_PLATFORM="}
            << QByteArray("xcb");
    QTest::newRow("tty session") << QStringList {"XDG_SESSION_TYPE=tty"} << QByteArray();
}

void TestStartup::choosePlatform()
{
    QFETCH(QStringList, environment);
    QFETCH(QByteArray, platform);
    QProcessEnvironment env;
    for (const QString &entry : environment)
        env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    QCOMPARE(::choosePlatform(env), platform);
}

void TestStartup::messageBoxButtonsAreChinese()
{
    // The exit prompt's buttons, then an OK box.
    MessageBoxPrompt prompt;
    QStringList texts;
    readNextMessageBox(&texts);
    QCOMPARE(prompt.askYesNoCancel(nullptr, QStringLiteral("是否退出?")), Prompt::Answer::Cancel);
    readNextMessageBox(&texts);
    prompt.inform(nullptr, QStringLiteral("完成"));
    QCOMPARE(withoutShortcuts(texts), (QStringList {"取消", "否", "是", "确定"}));
}

void TestStartup::textBoxMenuIsChinese()
{
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (QAction *action : menu->actions())
        texts << action->text().section(u'\t', 0, 0);
    const QStringList shown = withoutShortcuts(texts);
    for (const char *text : {"剪切", "复制", "粘贴", "全选"})
        QVERIFY2(shown.contains(QString::fromUtf8(text)), qPrintable(texts.join(u' ')));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
