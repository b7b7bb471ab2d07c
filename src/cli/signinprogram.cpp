#include "cli/signinprogram.h"

#include "cli/messages.h"
#include "cli/qrterminal.h"
#include "web/session.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

using QrLogin::State;

namespace {
constexpr int notSignedIn = 1;
}

SignInProgram::SignInProgram(WebClient *web, const QString &sessionPath,
                             LookupProgram::Terminal terminal)
    : m_signIn(web, sessionPath), m_terminal(std::move(terminal))
{
    connect(&m_signIn, &QrSignIn::codeShown, this, &SignInProgram::onCodeShown);
    connect(&m_signIn, &QrSignIn::stateChanged, this, &SignInProgram::onStateChanged);
    connect(&m_signIn, &QrSignIn::signedIn, this,
            [this](const std::shared_ptr<const Session> &, const QString &number) {
                m_number = number;
            });
    connect(&m_signIn, &QrSignIn::finished, this, &SignInProgram::onFinished);
}

SignInProgram::~SignInProgram()
{
    if (!m_picture.isEmpty())
        QFile::remove(m_picture);
}

void SignInProgram::start()
{
    m_signIn.start();
}

void SignInProgram::interrupt()
{
    m_interrupted = true;
    m_signIn.cancel();
}

void SignInProgram::say(const QString &text) const
{
    m_terminal.err(Messages::line(text).toUtf8());
}

void SignInProgram::onCodeShown(const QByteArray &png)
{
    // The picture too, for a terminal too small or a phone that cannot read it off the screen.
    if (m_picture.isEmpty())
        m_picture = QDir::temp().filePath(
                QStringLiteral("mirelo-sign-in-%1.png").arg(QCoreApplication::applicationPid()));
    QSaveFile file(m_picture);
    if (file.open(QIODevice::WriteOnly) && file.setPermissions(QFile::ReadOwner | QFile::WriteOwner)
        && file.write(png) == png.size() && file.commit())
        say(tr("the code is also in %1").arg(m_picture));
    if (const std::optional<QrModules> modules = modulesOfPicture(png))
        m_terminal.out(drawForTerminal(*modules, m_terminal.outIsTerminal).toUtf8());
    else
        say(tr("the code cannot be drawn here: open %1").arg(m_picture));
}

void SignInProgram::onStateChanged(State state)
{
    // The final states are said at the end.
    if (state == State::Waiting)
        say(tr("scan the code with QQ on your phone"));
    else if (state == State::Scanned)
        say(tr("scanned: confirm the sign-in on your phone"));
    else if (state == State::Renewed)
        say(tr("the code expired: here is a new one"));
}

void SignInProgram::onFinished(State state, const QString &message)
{
    int status = notSignedIn;
    switch (state) {
    case State::SignedIn:
        say(tr("signed in as QQ %1; the session is in %2").arg(m_number, m_signIn.sessionPath()));
        status = 0;
        break;
    case State::Refused:
        say(tr("the sign-in was refused on the phone"));
        break;
    case State::Expired:
        say(tr("the code expired too often: sign in again"));
        break;
    case State::Restricted:
        say(tr("this network may not sign in by QR code (HTTP 403): try another network"));
        break;
    case State::Cancelled:
        status = m_interrupted ? LookupProgram::interruptedStatus : notSignedIn;
        break;
    case State::Failed:
    case State::FetchingCode:
    case State::Waiting:
    case State::Scanned:
    case State::Renewed:
        say(tr("the sign-in failed: %1").arg(message));
        break;
    }
    emit finished(status);
}

int SignInProgram::signOut(const QString &sessionPath, const LookupProgram::Terminal &terminal)
{
    const auto say
            = [&terminal](const QString &text) { terminal.err(Messages::line(text).toUtf8()); };
    QFile file(sessionPath);
    if (!file.exists()) {
        say(tr("no session in %1").arg(sessionPath));
        return 0;
    }
    if (!file.remove()) {
        say(tr("cannot delete %1: %2").arg(sessionPath, file.errorString()));
        return notSignedIn;
    }
    say(tr("signed out: %1 is deleted").arg(sessionPath));
    return 0;
}
