#include "support/recordingdesktop.h"
#include "support/scriptedprompt.h"
#include "ui/mainwindow.h"
#include "web/webclient.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ScriptedPrompt::Kind)

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
        return m_window->findChild<T *>(QLatin1String(name));
    }

    QTemporaryDir m_dir;
    WebClient m_web;
    ScriptedPrompt m_prompt;
    RecordingDesktop m_desktop;
    std::unique_ptr<MainWindow> m_window;
};

void TestCalculatorPanel::init()
{
    m_prompt.clear();
    m_window = std::make_unique<MainWindow>(
            AppServices {&m_web, &m_prompt, &m_desktop, m_dir.path(), {}});
    m_window->show();
}

void TestCalculatorPanel::cleanup()
{
    m_window.reset();
}

void TestCalculatorPanel::answersInOneBox_data()
{
    QTest::addColumn<bool>("levelSide"); // false: points (Text3, Command2); true: level
    QTest::addColumn<QString>("typed");
    QTest::addColumn<ScriptedPrompt::Kind>("kind");
    QTest::addColumn<QString>("text");

    using K = ScriptedPrompt::Kind;
    QTest::newRow("points empty") << false << QString() << K::Warning << u"请输入积分值!"_s;
    QTest::newRow("points one blank")
            << false << u" "_s << K::Information << u"您输入的积分值能达到:0级"_s;
    QTest::newRow("points exponent")
            << false << u"1e3"_s << K::Information << u"您输入的积分值能达到:17级"_s;
    QTest::newRow("points above 150")
            << false << u"204490"_s << K::Information << u"您输入的积分超过150级!你是神!"_s;
    QTest::newRow("level empty") << true << QString() << K::Warning << u"请输入等级值!"_s;
    QTest::newRow("level zero") << true << u"0"_s << K::Warning << u"请输入大于等于1的等级!"_s;
    QTest::newRow("level 150") << true << u"150"_s << K::Information
                               << u"您输入的等级,若达到该等级,需要积分为:204490分"_s;
    QTest::newRow("level 151") << true << u"151"_s << K::Information
                               << u"抱歉!目前仅支持查询150级及150级以内的积分!"_s;
}

void TestCalculatorPanel::answersInOneBox()
{
    QFETCH(bool, levelSide);
    QFETCH(QString, typed);
    QFETCH(ScriptedPrompt::Kind, kind);
    QFETCH(QString, text);

    auto *box = control<QLineEdit>(levelSide ? "Text4" : "Text3");
    auto *otherBox = control<QLineEdit>(levelSide ? "Text3" : "Text4");
    otherBox->setText(u"99"_s); // the other calculator's text must not be read
    box->setText(typed);
    const QString statusBefore = m_window->statusText();

    QTest::mouseClick(control<QPushButton>(levelSide ? "Command3" : "Command2"), Qt::LeftButton);

    QCOMPARE(m_prompt.asked().size(), 1);
    QCOMPARE(m_prompt.asked().first().kind, kind);
    QCOMPARE(m_prompt.asked().first().text, text);
    QCOMPARE(box->text(), typed);
    QCOMPARE(otherBox->text(), u"99"_s);
    QCOMPARE(m_window->statusText(), statusBefore);
    QCOMPARE(control<QTreeWidget>("ListView1")->topLevelItemCount(), 0);
}

QTEST_MAIN(TestCalculatorPanel)
#include "tst_calculatorpanel.moc"
