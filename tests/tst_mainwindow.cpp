#include "support/recordingdesktop.h"
#include "support/scriptedprompt.h"
#include "ui/mainwindow.h"
#include "ui/resultcolumns.h"
#include "ui_mainwindow.h"
#include "web/webclient.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

// The main window as it opens: its controls, their captions and places, the result list's
// columns and the status bar.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowCaptionAndSize();
    void controls_data();
    void controls();
    void resultColumns();
    void statusBar();

private:
    QTemporaryDir m_dir;
    WebClient m_web;
    ScriptedPrompt m_prompt;
    RecordingDesktop m_desktop;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::init()
{
    m_window = std::make_unique<MainWindow>(
            AppServices {&m_web, &m_prompt, &m_desktop, m_dir.path(), {}});
}

void TestMainWindow::cleanup()
{
    m_window.reset();
}

void TestMainWindow::windowCaptionAndSize()
{
    QCOMPARE(m_window->objectName(), QStringLiteral("Form1"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Zv系列软件のMirelo V6"));
    QCOMPARE(m_window->size(), QSize(869, 443));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
}

void TestMainWindow::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry"); // twips / 15

    const auto row
            = [](const char *name, const char *parent, const QString &caption, QRect geometry) {
                  QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(parent)
                                      << caption << geometry;
              };
    row("Frame1", "centralwidget", QStringLiteral("输入信息："), {8, 8, 265, 121});
    row("Label1", "Frame1", QStringLiteral("请输入QQ号进行查询："), {16, 32, 120, 12});
    row("Text1", "Frame1", QString(), {144, 32, 105, 18});
    row("Check1", "Frame1", QStringLiteral("是否查询头像"), {16, 64, 121, 17});
    row("Command1", "Frame1", QStringLiteral("开始查询"), {144, 64, 105, 41});
    row("Label4", "Frame1", QStringLiteral("【注意：此项会拖速】"), {16, 88, 120, 12});
    row("Frame8", "centralwidget", QStringLiteral("QQ头像"), {280, 8, 113, 121});
    row("Frame3", "centralwidget", QStringLiteral("QQ空间头像"), {400, 8, 113, 121});
    row("Command4", "centralwidget", QStringLiteral("HD"), {352, 8, 33, 12});
    row("Frame4", "centralwidget", QStringLiteral("QQ空间花藤信息"), {520, 8, 337, 121});
    row("Label2", "Frame4", QStringLiteral("花藤阳光值:未查询"), {16, 32, 102, 12});
    row("Label5", "Frame4", QStringLiteral("花藤爱心值:未查询"), {192, 32, 102, 12});
    row("Label3", "Frame4", QStringLiteral("花藤雨露值:未查询"), {16, 80, 102, 12});
    row("Label6", "Frame4", QStringLiteral("花藤营养值:未查询"), {192, 80, 102, 12});
    row("Command5", "Frame4", QStringLiteral("快速养殖您的花藤！"), {192, 0, 137, 17});
    row("Frame2", "centralwidget", QStringLiteral("查询信息"), {8, 136, 673, 265});
    row("Frame5", "centralwidget", QStringLiteral("请输入积分查询等级:"), {688, 136, 169, 81});
    row("Text3", "Frame5", QString(), {8, 16, 153, 18});
    row("Command2", "Frame5", QStringLiteral("查询"), {8, 40, 153, 33});
    row("Frame6", "centralwidget", QStringLiteral("请输入等级查询积分:"), {688, 224, 169, 81});
    row("Text4", "Frame6", QString(), {8, 16, 153, 18});
    row("Command3", "Frame6", QStringLiteral("查询"), {8, 40, 153, 33});
    row("Frame7", "centralwidget", QString(), {688, 312, 169, 89});
    row("Command7", "Frame7", QStringLiteral("重启软件"), {8, 16, 153, 33});
    row("Command6", "Frame7", QStringLiteral("Zv系列软件官方论坛"), {8, 48, 153, 33});
}

void TestMainWindow::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);

    auto *control = m_window->findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(control->geometry(), geometry);
    QString shown;
    if (auto *box = qobject_cast<QGroupBox *>(control))
        shown = box->title();
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        shown = button->text();
    else if (auto *label = qobject_cast<QLabel *>(control))
        shown = label->text();
    else if (auto *edit = qobject_cast<QLineEdit *>(control))
        shown = edit->text();
    QCOMPARE(shown, caption);
    QVERIFY(control->isEnabled());
}

void TestMainWindow::resultColumns()
{
    QTreeWidget *list = m_window->form()->ListView1;
    const QStringList keys = {QStringLiteral("num"), QStringLiteral("nam"),  QStringLiteral("jf"),
                              QStringLiteral("dj"),  QStringLiteral("qqm2"), QStringLiteral("blog"),
                              QStringLiteral("ss"),  QStringLiteral("jr"),   QStringLiteral("ls")};
    const QStringList headers
            = {QStringLiteral("QQ号码"), QStringLiteral("昵称"),     QStringLiteral("积分"),
               QStringLiteral("等级"),   QStringLiteral("音乐"),     QStringLiteral("日志"),
               QStringLiteral("说说"),   QStringLiteral("今日访问"), QStringLiteral("历史访问")};
    const QList<int> widths = {73, 100, 60, 60, 60, 73, 73, 73, 73};
    QCOMPARE(list->columnCount(), 9);
    int total = 0;
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(ResultColumns::indexOf(list, keys[i]), i);
        QCOMPARE(list->headerItem()->text(i), headers[i]);
        QCOMPARE(list->columnWidth(i), widths[i]);
        total += widths[i];
        const Qt::Alignment horizontal
                = Qt::Alignment(list->headerItem()->textAlignment(i)) & Qt::AlignHorizontal_Mask;
        QCOMPARE(horizontal, i == 0 ? Qt::AlignLeft : Qt::AlignHCenter);
    }
    QCOMPARE(ResultColumns::indexOf(list, QStringLiteral("nope")), -1);
    QCOMPARE(list->size(), QSize(657, 241));
    // Every column is in view without scrolling sideways.
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(total <= list->viewport()->width());
    QCOMPARE(list->topLevelItemCount(), 0);

    QTreeWidgetItem *row = ResultColumns::makeRow(list, QStringLiteral("10001"));
    QCOMPARE(row->text(0), QStringLiteral("10001"));
    QCOMPARE(Qt::Alignment(row->textAlignment(3)) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    delete row;
}

void TestMainWindow::statusBar()
{
    auto *bar = m_window->findChild<QStatusBar *>(QStringLiteral("s1"));
    QVERIFY(bar);
    QCOMPARE(m_window->statusText(), QStringLiteral("请输入QQ进行查询..."));
    auto *panel1 = bar->findChild<QLabel *>(QStringLiteral("s1Panel1"));
    auto *panel2 = bar->findChild<QLabel *>(QStringLiteral("s1Panel2"));
    QVERIFY(panel1 && panel2);
    QVERIFY(panel1->text().isEmpty());
    QCOMPARE(panel2->text(), QStringLiteral("请输入QQ进行查询..."));
    QVERIFY(!m_window->form()->Check1->isChecked());
    QVERIFY(m_window->lastQueriedQq().isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
