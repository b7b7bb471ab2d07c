#include "shell/chineseqttexts.h"
#include "shell/platformchoice.h"
#include "ui/prompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void choosePlatform_data();
    void choosePlatform();
    void messageBoxButtonsAreChineseWhateverTheLocale();
};

void TestStartup::choosePlatform_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QByteArray>("platform");
    QTest::newRow("X11 session") << QStringList {"XDG_SESSION_TYPE=x11", "DISPLAY=:0"}
                                 << QByteArray();
    QTest::newRow("Wayland with XWayland")
            << QStringList {"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=w-0", "DISPLAY=:1"}
            << QByteArray("xcb");
    QTest::newRow("Wayland display only")
            << QStringList {"WAYLAND_DISPLAY=w-0", "DISPLAY=:1"} << QByteArray("xcb");
    QTest::newRow("Wayland without XWayland")
            << QStringList {"XDG_SESSION_TYPE=wayland", "WAYLAND_DISPLAY=w-0", "DISPLAY="}
            << QByteArray();
    QTest::newRow("user's choice wins")
            << QStringList {"WAYLAND_DISPLAY=w-0", "DISPLAY=:1", "QT_QPA_PLATFORM=wayland"}
            << QByteArray();
    QTest::newRow("empty choice is none")
            << QStringList {"XDG_SESSION_TYPE=wayland", "DISPLAY=:1", "QT_QPA_PLATFORM="}
            << QByteArray("xcb");
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

// CTest runs this with LANG=C.
void TestStartup::messageBoxButtonsAreChineseWhateverTheLocale()
{
    QVERIFY(installChineseQtTexts(qApp));
    QStringList texts;
    QTimer reader;
    reader.setInterval(10);
    connect(&reader, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            for (QAbstractButton *button : box->buttons())
                texts << button->text();
            box->escapeButton()->click();
        }
    });
    reader.start();
    MessageBoxPrompt prompt;
    QCOMPARE(prompt.askYesNoCancel(nullptr, QStringLiteral("是否退出?")), Prompt::Answer::Cancel);
    prompt.inform(nullptr, QStringLiteral("完成"));
    texts.sort();
    QCOMPARE(texts, (QStringList {"取消", "否", "是", "确定"}));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
