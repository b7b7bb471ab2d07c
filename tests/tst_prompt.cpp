#include "ui/prompt.h"

#include <algorithm>
#include <optional>

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(Prompt::Answer)
Q_DECLARE_METATYPE(QDialogButtonBox::ButtonLayout)

namespace {

enum class Kind { Warn, Inform, YesNo, YesNoCancel };
enum class Gesture { Enter, Escape, CloseBox };

// What a message box showed while it was open.
struct Seen
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons; // captions, sorted: their order on screen is the platform's
    QString defaultButton;
    bool stayedOpen = false;
};

// Lays out the buttons of dialogs in the order a desktop of one kind does; the order decides
// which button comes first, and Qt makes the first one the default when nobody chose one.
class ButtonOrder : public QProxyStyle
{
public:
    explicit ButtonOrder(QDialogButtonBox::ButtonLayout layout) : m_layout(layout) { }

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returned) const override
    {
        if (hint == SH_DialogButtonLayout)
            return m_layout;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }

private:
    QDialogButtonBox::ButtonLayout m_layout;
};

// While it lives, waits for the next modal message box, notes what it shows and answers it with
// `gesture`. A box the gesture leaves open is ended after a while, so that the test goes on.
class BoxAnswerer : public QObject
{
public:
    explicit BoxAnswerer(Gesture gesture) : m_gesture(gesture)
    {
        connect(&m_timer, &QTimer::timeout, this, &BoxAnswerer::onTick);
        m_timer.start(10);
    }

    const Seen &seen() const { return m_seen; }

private:
    void onTick()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (m_answered) {
            if (box && box == m_box && ++m_ticksOpen > 300) {
                m_seen.stayedOpen = true;
                box->done(-1);
            }
            return;
        }
        if (box)
            answer(box);
    }

    void answer(QMessageBox *box)
    {
        m_seen.title = box->windowTitle();
        m_seen.text = box->text();
        m_seen.icon = box->icon();
        for (QAbstractButton *button : box->buttons()) {
            m_seen.buttons.append(button->text());
            if (auto *push = qobject_cast<QPushButton *>(button); push && push->isDefault())
                m_seen.defaultButton = push->text();
        }
        std::sort(m_seen.buttons.begin(), m_seen.buttons.end());
        m_answered = true;
        m_box = box;
        switch (m_gesture) {
        case Gesture::Enter:
            QTest::keyClick(box, Qt::Key_Return);
            break;
        case Gesture::Escape:
            QTest::keyClick(box, Qt::Key_Escape);
            break;
        case Gesture::CloseBox:
            box->close();
            break;
        }
    }

    Gesture m_gesture;
    QTimer m_timer;
    Seen m_seen;
    bool m_answered = false;
    QPointer<QMessageBox> m_box;
    int m_ticksOpen = 0;
};

} // namespace

// The real message boxes, as the program shows them: what Enter, Escape and the close box
// answer, which button Enter presses, and the title, icon and captions.
class TestPrompt : public QObject
{
    Q_OBJECT

private slots:
    void realBoxes_data();
    void realBoxes();
};

void TestPrompt::realBoxes_data()
{
    QTest::addColumn<QDialogButtonBox::ButtonLayout>("layout");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<Prompt::Answer>("answer");

    const struct
    {
        const char *name;
        Kind kind;
        Prompt::Answer enter, escape, closeBox;
    } kinds[] = {
            {"warn", Kind::Warn, Prompt::Answer::Ok, Prompt::Answer::Ok, Prompt::Answer::Ok},
            {"inform", Kind::Inform, Prompt::Answer::Ok, Prompt::Answer::Ok, Prompt::Answer::Ok},
            {"yes/no", Kind::YesNo, Prompt::Answer::Yes, Prompt::Answer::No, Prompt::Answer::No},
            {"yes/no/cancel", Kind::YesNoCancel, Prompt::Answer::Yes, Prompt::Answer::Cancel,
             Prompt::Answer::Cancel},
    };
    const std::pair<const char *, QDialogButtonBox::ButtonLayout> layouts[] = {
            {"Windows", QDialogButtonBox::WinLayout},
            {"GNOME", QDialogButtonBox::GnomeLayout},
            {"KDE", QDialogButtonBox::KdeLayout},
    };
    for (const auto &[desktop, layout] : layouts) {
        for (const auto &k : kinds) {
            QTest::addRow("%s, %s, Enter", desktop, k.name)
                    << layout << k.kind << Gesture::Enter << k.enter;
            QTest::addRow("%s, %s, Escape", desktop, k.name)
                    << layout << k.kind << Gesture::Escape << k.escape;
            QTest::addRow("%s, %s, close box", desktop, k.name)
                    << layout << k.kind << Gesture::CloseBox << k.closeBox;
        }
    }
}

void TestPrompt::realBoxes()
{
    QFETCH(QDialogButtonBox::ButtonLayout, layout);
    QFETCH(Kind, kind);
    QFETCH(Gesture, gesture);
    QFETCH(Prompt::Answer, answer);
    QApplication::setStyle(new ButtonOrder(layout));

    QWidget owner;
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    const QString text = QStringLiteral("第一行\r \r第二行");
    MessageBoxPrompt prompt;
    const BoxAnswerer answerer(gesture);

    std::optional<Prompt::Answer> got; // the two notices answer nothing
    switch (kind) {
    case Kind::Warn:
        prompt.warn(&owner, text);
        break;
    case Kind::Inform:
        prompt.inform(&owner, text);
        break;
    case Kind::YesNo:
        got = prompt.askYesNo(&owner, text);
        break;
    case Kind::YesNoCancel:
        got = prompt.askYesNoCancel(&owner, text);
        break;
    }

    const Seen &seen = answerer.seen();
    QVERIFY2(!seen.stayedOpen, "the gesture left the box open");
    QCOMPARE(seen.title, QStringLiteral("Zv系列软件"));
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.icon, kind == Kind::Warn ? QMessageBox::Warning : QMessageBox::Information);
    const QStringList buttons[]
            = {{QStringLiteral("确定")},
               {QStringLiteral("确定")},
               {QStringLiteral("否"), QStringLiteral("是")},
               {QStringLiteral("取消"), QStringLiteral("否"), QStringLiteral("是")}};
    QStringList expectedButtons = buttons[int(kind)];
    std::sort(expectedButtons.begin(), expectedButtons.end());
    QCOMPARE(seen.buttons, expectedButtons);
    QCOMPARE(seen.defaultButton, got ? QStringLiteral("是") : QStringLiteral("确定"));
    if (got)
        QCOMPARE(*got, answer);
}

QTEST_MAIN(TestPrompt)
#include "tst_prompt.moc"
