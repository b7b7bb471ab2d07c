#include "support/querywindow.h"
#include "ui/mainwindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

using Asked = ScriptedPrompt::Asked;

Q_DECLARE_METATYPE(ScriptedPrompt::Asked)

// The calculators as the user meets them: typed text, button, one message box. The number
// tables themselves are covered with the calculator functions.
class TestCalculatorPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void answersInOneBox_data();
    void answersInOneBox();

private:
    template<class T> T *control(const char *name) const
    {
        return m_app->window()->findChild<T *>(QLatin1String(name));
    }

    std::unique_ptr<QueryWindow> m_app;
};

void TestCalculatorPanel::init()
{
    m_app = std::make_unique<QueryWindow>();
}

void TestCalculatorPanel::cleanup()
{
    m_app.reset();
}

void TestCalculatorPanel::answersInOneBox_data()
{
    QTest::addColumn<bool>("levelSide"); // false: points (Text3, Command2); true: level
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Asked>("asked");

    QTest::newRow("points empty") << false << QString() << Asked::warning(u"请输入积分值!"_s);
    QTest::newRow("points one blank")
            << false << u" "_s << Asked::information(u"您输入的积分值能达到:0级"_s);
    QTest::newRow("points exponent")
            << false << u"1e3"_s << Asked::information(u"您输入的积分值能达到:17级"_s);
    QTest::newRow("points above 150")
            << false << u"204490"_s << Asked::information(u"您输入的积分超过150级!你是神!"_s);
    QTest::newRow("level empty") << true << QString() << Asked::warning(u"请输入等级值!"_s);
    QTest::newRow("level zero") << true << u"0"_s << Asked::warning(u"请输入大于等于1的等级!"_s);
    QTest::newRow("level 150") << true << u"150"_s
                               << Asked::information(
                                          u"您输入的等级,若达到该等级,需要积分为:204490分"_s);
    QTest::newRow("level 151") << true << u"151"_s
                               << Asked::information(
                                          u"抱歉!目前仅支持查询150级及150级以内的积分!"_s);
}

void TestCalculatorPanel::answersInOneBox()
{
    QFETCH(bool, levelSide);
    QFETCH(QString, typed);
    QFETCH(Asked, asked);

    auto *box = control<QLineEdit>(levelSide ? "Text4" : "Text3");
    auto *otherBox = control<QLineEdit>(levelSide ? "Text3" : "Text4");
    otherBox->setText(u"99"_s); // the other calculator's text must not be read
    box->setText(typed);
    const QString statusBefore = m_app->window()->statusText();

    QTest::mouseClick(control<QPushButton>(levelSide ? "Command3" : "Command2"), Qt::LeftButton);

    QCOMPARE(m_app->prompt().asked(), {asked});
    QCOMPARE(box->text(), typed);
    QCOMPARE(otherBox->text(), u"99"_s);
    QCOMPARE(m_app->window()->statusText(), statusBefore);
    QCOMPARE(control<QTreeWidget>("ListView1")->topLevelItemCount(), 0);
}

QTEST_MAIN(TestCalculatorPanel)
#include "tst_calculatorpanel.moc"
