#include "ui/sessionstatus.h"

#include "query/queryrecord.h"
#include "query/services.h"
#include "ui/mainwindow.h"
#include "ui/prompt.h"
#include "ui/signinwindow.h"
#include "ui_mainwindow.h"
#include "web/session.h"

#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QStatusBar>

namespace {
const QString signInLink = QStringLiteral("sign-in");
const QString signOutLink = QStringLiteral("sign-out");

QString link(const QString &target, const QString &text)
{
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(target, text);
}
} // namespace

SessionStatus::SessionStatus(MainWindow *window) : QObject(window), m_window(window)
{
    m_label = new QLabel(window);
    m_label->setObjectName(QStringLiteral("sessionStatus"));
    m_label->setTextFormat(Qt::RichText);
    m_label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(m_label, &QLabel::linkActivated, this, &SessionStatus::onLinkActivated);
    window->form()->s1->addPermanentWidget(m_label);
    show();
}

void SessionStatus::show()
{
    const std::shared_ptr<const Session> &session = m_window->services().session;
    const QString separator = QStringLiteral(" · ");
    if (session && m_refused) {
        m_label->setText(QStringLiteral("登录已失效") + separator
                         + link(signInLink, QStringLiteral("重新扫码")));
        m_label->setToolTip({});
    } else if (session) {
        const QString certificate = m_certificateProblem.isEmpty()
                ? QString()
                : QStringLiteral("证书无法验证") + separator;
        m_label->setText(QStringLiteral("已登录：QQ ") + session->ownNumber() + separator
                         + certificate + link(signOutLink, QStringLiteral("退出登录")));
        m_label->setToolTip(m_certificateProblem);
    } else {
        m_label->setText(QStringLiteral("未登录") + separator
                         + link(signInLink, QStringLiteral("扫码登录")));
        m_label->setToolTip(m_window->services().sessionProblem);
    }
    // Read out as it shows, without its markup.
    static const QRegularExpression markup(QStringLiteral("<[^>]*>"));
    m_label->setAccessibleName(QString(m_label->text()).remove(markup));
}

void SessionStatus::onQueryFinished()
{
    const QueryRecord &record = m_window->queryRecord();
    bool refused = false;
    for (const ServiceRow &row : serviceTable()) {
        const std::optional<ServiceOutcome> &outcome = record.outcomes.of(row.service);
        refused = refused || (outcome && outcome->problem == ServiceProblem::SigninNeeded);
    }
    if (m_window->services().session
        && (refused != m_refused || record.certificateProblem != m_certificateProblem)) {
        m_refused = refused;
        m_certificateProblem = record.certificateProblem;
        show();
    }
}

void SessionStatus::onLinkActivated(const QString &target)
{
    if (target == signOutLink)
        signOut();
    else
        signIn();
}

void SessionStatus::signIn()
{
    if (m_signInWindow) {
        m_signInWindow->raise();
        return;
    }
    const AppServices &services = m_window->services();
    m_signInWindow = new SignInWindow(services.web, services.sessionPath, m_window);
    m_signInWindow->setAttribute(Qt::WA_DeleteOnClose);
    m_signInWindow->setTiming(m_timing);
    connect(m_signInWindow, &SignInWindow::signedIn, this,
            [this](std::shared_ptr<const Session> session, const QString &) {
                m_refused = false;
                m_certificateProblem.clear();
                m_window->setSession(std::move(session));
                show();
            });
    m_signInWindow->begin();
    m_signInWindow->open();
}

void SessionStatus::signOut()
{
    const AppServices &services = m_window->services();
    if (services.prompt->askYesNo(m_window, QStringLiteral("确定要退出登录吗？"))
        != Prompt::Answer::Yes)
        return;
    QFile::remove(services.sessionPath);
    m_refused = false;
    m_certificateProblem.clear();
    m_window->setSession(nullptr);
    show();
}
