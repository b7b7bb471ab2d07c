#include "fakeservices/demoanswers.h"
#include "fakeservices/fakeservices.h"
#include "support/servedwindow.h"
#include "ui/mainwindow.h"
#include "ui/resultcolumns.h"
#include "ui/rowreport.h"
#include "web/webclient.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using Asked = ScriptedPrompt::Asked;

Q_DECLARE_METATYPE(Qt::MouseButton)
Q_DECLARE_METATYPE(Qt::KeyboardModifiers)
Q_DECLARE_METATYPE(Prompt::Answer)

namespace {
const QString nothingToCopy = u"请先查询再进行复制操作!"_s;
const QString untouched = u"clipboard before"_s;
} // namespace

// The result list's pop-up menu and its row commands, driven as the user drives them.
class TestResultList : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void menuEntries();
    void menuOpensOnRightPress_data();
    void menuOpensOnRightPress();
    void menuOpensFromKeyboard_data();
    void menuOpensFromKeyboard();
    void rowCommandsLockedWhileQuerying();

    void removeSelectedRow_data();
    void removeSelectedRow();
    void clearList_data();
    void clearList();

    void copyNeedsSelectedRow_data();
    void copyNeedsSelectedRow();
    void copyRowReport();
    void copyReportCarriesPanelOfLastLookup();
    void copyPortraitAddress();

private:
    template<class T> T *control(const char *name) const
    {
        return m_served.app->window()->findChild<T *>(QLatin1String(name));
    }
    QTreeWidget *list() const { return control<QTreeWidget>("ListView1"); }
    QMenu *menu() const { return control<QMenu>("menu"); }
    // Appends a row; `texts` are the cells by position, the QQ number first.
    void addRow(const QStringList &texts);
    QStringList rowNumbers() const;
    void select(int row);
    void trigger(const char *action) { control<QAction>(action)->trigger(); }
    // False when the query did not end in time; callers stop the test then.
    [[nodiscard]] bool query(const QString &qq);

    ServedWindow m_served;
};

void TestResultList::init()
{
    QVERIFY(m_served.start(WebClient::defaultDeadlineMs, QueryWindow::Open::Now,
                           ServedWindow::Unrouted::EmptyPage));
    QVERIFY(QTest::qWaitForWindowExposed(m_served.app->window()));
    QGuiApplication::clipboard()->setText(untouched);
}

void TestResultList::cleanup()
{
    m_served.stop();
}

void TestResultList::addRow(const QStringList &texts)
{
    QTreeWidgetItem *row = ResultColumns::makeRow(list(), texts.value(0));
    for (int column = 1; column < texts.size(); ++column)
        row->setText(column, texts.at(column));
    list()->insertTopLevelItem(list()->topLevelItemCount(), row);
}

QStringList TestResultList::rowNumbers() const
{
    QStringList numbers;
    for (int i = 0; i < list()->topLevelItemCount(); ++i)
        numbers.append(list()->topLevelItem(i)->text(0));
    return numbers;
}

void TestResultList::select(int row)
{
    list()->clearSelection();
    if (row >= 0)
        list()->setCurrentItem(list()->topLevelItem(row));
}

bool TestResultList::query(const QString &qq)
{
    m_served.app->startQuery(qq);
    return QTest::qWaitFor([&] { return !m_served.app->window()->isQuerying(); }, 10000);
}

void TestResultList::menuEntries()
{
    QVERIFY(menu());
    QCOMPARE(menu()->title(), u"菜单"_s);
    QStringList entries;
    for (const QAction *action : menu()->actions())
        entries.append(action->isSeparator() ? u"-"_s
                                             : action->objectName() + u' ' + action->text());
    QCOMPARE(entries,
             QStringList({u"cpp 复制此号信息"_s, u"-"_s, u"ycxxx 移除此号信息"_s, u"-"_s,
                          u"cll 清空查询列表"_s, u"-"_s, u"cppt 复制空间头像"_s, u"-"_s,
                          u"cx 查询软件更新"_s, u"-"_s, u"cxxx 程序相关信息"_s, u"-"_s,
                          u"endd 退出应用程序"_s}));
    QVERIFY(!menu()->defaultAction());
}

void TestResultList::menuOpensOnRightPress_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("onRow");
    QTest::addColumn<bool>("opens");

    QTest::newRow("right on a row") << Qt::RightButton << true << true;
    QTest::newRow("right on empty space") << Qt::RightButton << false << true;
    QTest::newRow("left on a row") << Qt::LeftButton << true << false;
    QTest::newRow("left on empty space") << Qt::LeftButton << false << false;
    QTest::newRow("middle on a row") << Qt::MiddleButton << true << false;
}

void TestResultList::menuOpensOnRightPress()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, onRow);
    QFETCH(bool, opens);

    addRow({u"10001"_s});
    addRow({u"10002"_s});
    select(0);
    QWidget *viewport = list()->viewport();
    const QPoint at = onRow ? list()->visualItemRect(list()->topLevelItem(1)).center()
                            : QPoint(viewport->width() / 2, viewport->height() - 5);
    QVERIFY(!list()->itemAt(at) == !onRow);

    QTest::mousePress(viewport, button, {}, at);
    QCOMPARE(menu()->isVisible(), opens);
    if (opens)
        QVERIFY(menu()->geometry().contains(viewport->mapToGlobal(at) + QPoint(1, 1)));
    menu()->close();
    QTest::mouseRelease(viewport, button, {}, at);
    // A press on a row selects it whatever the button, so the commands act on that row; a right
    // press beside the rows leaves the selection for the menu's commands.
    if (onRow) {
        QCOMPARE(list()->selectedItems(), {list()->topLevelItem(1)});
    } else if (button == Qt::RightButton) {
        QCOMPARE(list()->selectedItems(), {list()->topLevelItem(0)});
    }
}

void TestResultList::menuOpensFromKeyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("opens");

    QTest::newRow("menu key") << int(Qt::Key_Menu) << Qt::KeyboardModifiers() << true;
    QTest::newRow("shift+F10") << int(Qt::Key_F10) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                               << true;
    QTest::newRow("F10 alone") << int(Qt::Key_F10) << Qt::KeyboardModifiers() << false;
    QTest::newRow("ctrl+shift+F10")
            << int(Qt::Key_F10) << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier)
            << false;
}

void TestResultList::menuOpensFromKeyboard()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, opens);

    addRow({u"10001"_s});
    select(0);
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key(key), modifiers);
    QCOMPARE(menu()->isVisible(), opens);
    menu()->close();
}

void TestResultList::rowCommandsLockedWhileQuerying()
{
    FakeResponse slow = FakeResponse::text({});
    slow.delayMs = 300;
    m_served.services->setFallback(slow);
    control<QLineEdit>("Text1")->setText(u"10001"_s);
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QVERIFY(m_served.app->window()->isQuerying());

    QTest::mousePress(list()->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    QVERIFY(menu()->isVisible());
    const auto enabledStates = [this] {
        QStringList states;
        for (const QAction *action : menu()->actions()) {
            if (!action->isSeparator())
                states.append(action->objectName() + (action->isEnabled() ? u"+"_s : u"-"_s));
        }
        return states;
    };
    QCOMPARE(enabledStates(),
             QStringList({u"cpp-"_s, u"ycxxx-"_s, u"cll-"_s, u"cppt-"_s, u"cx+"_s, u"cxxx+"_s,
                          u"endd+"_s}));
    menu()->close();
    QTest::mouseRelease(list()->viewport(), Qt::RightButton, {}, QPoint(5, 5));

    QTRY_VERIFY_WITH_TIMEOUT(!m_served.app->window()->isQuerying(), 10000);
    QCOMPARE(enabledStates(),
             QStringList({u"cpp+"_s, u"ycxxx+"_s, u"cll+"_s, u"cppt+"_s, u"cx+"_s, u"cxxx+"_s,
                          u"endd+"_s}));
}

void TestResultList::removeSelectedRow_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<QStringList>("remaining");
    QTest::addColumn<QString>("warning"); // empty: none expected
    QTest::addColumn<QString>("status");

    const QString before = u"QQ号码[10003]查询成功..."_s; // set before each row
    const QString refused = u"请选择您要删除列表项!"_s;
    QTest::newRow("empty list") << QStringList() << -1 << QStringList() << refused << before;
    QTest::newRow("rows, none selected")
            << QStringList({u"10001"_s, u"10002"_s}) << -1 << QStringList({u"10001"_s, u"10002"_s})
            << refused << before;
    QTest::newRow("selected row without text")
            << QStringList({QString(), u"10002"_s}) << 0 << QStringList({QString(), u"10002"_s})
            << refused << before;
    QTest::newRow("last row") << QStringList({u"10002"_s, u"10001"_s}) << 1
                              << QStringList({u"10002"_s}) << QString()
                              << u"QQ:[10001]信息已被移除..."_s;
    QTest::newRow("only row") << QStringList({u"10001"_s}) << 0 << QStringList() << QString()
                              << u"QQ:[10001]信息已被移除..."_s;
}

void TestResultList::removeSelectedRow()
{
    QFETCH(QStringList, rows);
    QFETCH(int, selected);
    QFETCH(QStringList, remaining);
    QFETCH(QString, warning);
    QFETCH(QString, status);

    for (const QString &number : rows)
        addRow({number});
    select(selected);
    m_served.app->window()->setStatusText(u"QQ号码[10003]查询成功..."_s);
    trigger("ycxxx");

    QCOMPARE(rowNumbers(), remaining);
    QCOMPARE(m_served.app->window()->statusText(), status);
    if (warning.isEmpty()) {
        QVERIFY(m_served.app->prompt().asked().isEmpty());
    } else {
        QCOMPARE(m_served.app->prompt().asked(), {Asked::warning(warning)});
    }
}

void TestResultList::clearList_data()
{
    QTest::addColumn<Prompt::Answer>("answer");
    QTest::addColumn<QStringList>("remaining");

    QTest::newRow("no") << Prompt::Answer::No << QStringList({u"10001"_s, u"10002"_s});
    QTest::newRow("yes") << Prompt::Answer::Yes << QStringList();
}

void TestResultList::clearList()
{
    QFETCH(Prompt::Answer, answer);
    QFETCH(QStringList, remaining);

    addRow({u"10001"_s});
    addRow({u"10002"_s});
    m_served.app->window()->setStatusText(u"QQ:[10003]信息已被移除..."_s);
    m_served.app->prompt().answerNext(answer);
    trigger("cll");

    QCOMPARE(m_served.app->prompt().asked(), {Asked::yesNo(u"是否确定清空查询列表?"_s)});
    QCOMPARE(rowNumbers(), remaining);
    QCOMPARE(m_served.app->window()->statusText(), u"QQ:[10003]信息已被移除..."_s);
}

void TestResultList::copyNeedsSelectedRow_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("currentOnly"); // a row that has the focus frame but is not selected

    for (const QString &action : {u"cpp"_s, u"cppt"_s}) {
        QTest::addRow("%s, empty list", qPrintable(action)) << action << QStringList() << -1 << -1;
        QTest::addRow("%s, none selected", qPrintable(action))
                << action << QStringList({u"10001"_s}) << -1 << -1;
        QTest::addRow("%s, current row not selected", qPrintable(action))
                << action << QStringList({u"10001"_s, u"10002"_s}) << -1 << 1;
        QTest::addRow("%s, row without text", qPrintable(action))
                << action << QStringList({QString()}) << 0 << -1;
    }
}

void TestResultList::copyNeedsSelectedRow()
{
    QFETCH(QString, action);
    QFETCH(QStringList, rows);
    QFETCH(int, selected);
    QFETCH(int, currentOnly);

    for (const QString &number : rows)
        addRow({number});
    select(selected);
    if (currentOnly >= 0) {
        list()->setCurrentItem(list()->topLevelItem(currentOnly), 0, QItemSelectionModel::NoUpdate);
        QVERIFY(list()->selectedItems().isEmpty());
    }
    const QString status = m_served.app->window()->statusText();
    trigger(action.toLatin1().constData());

    QCOMPARE(m_served.app->prompt().asked(), {Asked::warning(nothingToCopy)});
    QCOMPARE(QGuiApplication::clipboard()->text(), untouched);
    QCOMPARE(m_served.app->window()->statusText(), status);
}

void TestResultList::copyRowReport()
{
    const QStringList cells = {u"  小 明 "_s, u"7840分"_s, u"35级"_s, u"20首"_s,
                               u"3篇"_s,      u"37条"_s,   u"12人"_s, u"34567人"_s};
    addRow(QStringList {u"10002"_s});
    addRow(QStringList {u"10001"_s} + cells);
    select(1);
    // Distinct captions, so a label read into the wrong line shows.
    control<QLabel>("Label2")->setText(u"花藤阳光值:1"_s);
    control<QLabel>("Label3")->setText(u"花藤雨露值:2"_s);
    control<QLabel>("Label5")->setText(u"花藤爱心值:3"_s);
    control<QLabel>("Label6")->setText(u"花藤营养值:4"_s);
    const QString statusBefore = m_served.app->window()->statusText();
    QString statusWhileAsked;
    m_served.app->prompt().setOnAsk([&](const ScriptedPrompt::Asked &) {
        statusWhileAsked = m_served.app->window()->statusText();
    });

    trigger("cpp");

    const RowReportInput expected {u"10001"_s,        cells,
                                   u"花藤阳光值:1"_s, u"花藤雨露值:2"_s,
                                   u"花藤爱心值:3"_s, u"花藤营养值:4"_s};
    QCOMPARE(QGuiApplication::clipboard()->text(), BuildRowReport(expected));
    const QString done = u"QQ:[10001]信息已复制到剪贴板!"_s;
    QCOMPARE(m_served.app->prompt().asked(), {Asked::information(done)});
    // The status follows the box, not before it.
    QCOMPARE(statusWhileAsked, statusBefore);
    QCOMPARE(m_served.app->window()->statusText(), done);
    QCOMPARE(rowNumbers(), QStringList({u"10002"_s, u"10001"_s}));
}

void TestResultList::copyReportCarriesPanelOfLastLookup()
{
    DemoAccount first;
    DemoAccount second;
    second.qq = u"10002"_s;
    second.nickname = u"小红"_s;
    second.sunshine = u"901"_s;
    second.rain = u"902"_s;
    second.love = u"903"_s;
    second.nutrition = u"904"_s;
    DemoAnswers::routeAccount(*m_served.services, first);
    DemoAnswers::routeAccount(*m_served.services, second);
    QVERIFY(query(first.qq));
    QVERIFY(query(second.qq));
    QCOMPARE(rowNumbers(), QStringList({u"10002"_s, u"10001"_s}));

    select(1);
    trigger("cpp");

    const QStringList lines = QGuiApplication::clipboard()->text().split(u"\r\n"_s);
    QCOMPARE(lines.size(), 16);
    QCOMPARE(lines.at(0), u"QQ号码:10001"_s);
    QCOMPARE(lines.at(1), u"QQ昵称:"_s + first.nickname);
    QCOMPARE(lines.at(2), u"QQ空间积分:"_s + list()->topLevelItem(1)->text(2));
    QCOMPARE(lines.mid(11, 4),
             QStringList({u"QQ空间花藤阳光值:901"_s, u"QQ空间花藤雨露值:902"_s,
                          u"QQ空间花藤爱心值:903"_s, u"QQ空间花藤营养值:904"_s}));
}

void TestResultList::copyPortraitAddress()
{
    addRow({u"10001"_s, u"小明"_s});
    addRow({u"10002"_s, u"小红"_s});
    select(0);
    m_served.app->window()->setStatusText(u"QQ号码[10002]查询成功..."_s);

    trigger("cppt");

    QCOMPARE(QGuiApplication::clipboard()->text(), PortraitAddress(u"10001"_s));
    QVERIFY(QGuiApplication::clipboard()->text().endsWith(u"/qzone/10001/10001/100"_s));
    QCOMPARE(m_served.app->prompt().asked(),
             {Asked::information(u"QQ:[10001]空间头像地址已复制到剪贴板!"_s)});
    QCOMPARE(m_served.app->window()->statusText(), u"QQ号码[10002]查询成功..."_s);
}

QTEST_MAIN(TestResultList)
#include "tst_resultlist.moc"
