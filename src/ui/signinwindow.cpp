#include "ui/signinwindow.h"

#include "ui_signinwindow.h"

#include <QPainter>
#include <QPixmap>
#include <QTimer>

using QrLogin::State;

namespace {
constexpr int codePixels = 222; // the login's 111 pixels, doubled
constexpr int closeAfterMs = 1000;
constexpr qreal deadCodeOpacity = 0.2;
} // namespace

SignInWindow::SignInWindow(WebClient *web, QString sessionPath, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::SignInWindow>())
    , m_web(web)
    , m_sessionPath(std::move(sessionPath))
{
    m_ui->setupUi(this);
    setFixedSize(size());
    connect(m_ui->Renew, &QPushButton::clicked, this, &SignInWindow::onRenewClicked);
    connect(m_ui->Close, &QPushButton::clicked, this, &QDialog::reject);
    // Closed in any state: the sign-in ends with the window.
    connect(this, &QDialog::finished, this, [this] {
        if (m_signIn)
            m_signIn->cancel();
    });
}

SignInWindow::~SignInWindow() = default;

QString SignInWindow::stateText() const
{
    return m_ui->State->text();
}

void SignInWindow::setStateText(const QString &text)
{
    m_ui->State->setText(text);
}

void SignInWindow::begin()
{
    m_signIn = std::make_unique<QrSignIn>(m_web, m_sessionPath);
    m_signIn->setTiming(m_timing);
    connect(m_signIn.get(), &QrSignIn::codeShown, this, &SignInWindow::onCodeShown);
    connect(m_signIn.get(), &QrSignIn::stateChanged, this, &SignInWindow::onStateChanged);
    connect(m_signIn.get(), &QrSignIn::finished, this, &SignInWindow::onFinished);
    connect(m_signIn.get(), &QrSignIn::signedIn, this, &SignInWindow::signedIn);
    m_signIn->start();
}

void SignInWindow::onRenewClicked()
{
    // A sign-in that has ended starts again; one that waits gets a new code.
    if (!m_signIn || QrLogin::isFinal(m_signIn->state())) {
        setStateText(QStringLiteral("正在获取二维码..."));
        begin();
        return;
    }
    m_signIn->renew();
}

void SignInWindow::onCodeShown(const QByteArray &png)
{
    QPixmap code;
    code.loadFromData(png, "PNG");
    // Scaled without smoothing: a blurred module edge is what a phone reads worst.
    m_ui->Code->setPixmap(
            code.scaled(codePixels, codePixels, Qt::KeepAspectRatio, Qt::FastTransformation));
}

void SignInWindow::fadeCode()
{
    const QPixmap code = m_ui->Code->pixmap();
    if (code.isNull())
        return;
    // Left in place to show what ended, but faded, so nobody takes it for one to scan: the
    // login would only answer the phone that it has expired.
    QPixmap faded(code.size());
    faded.fill(Qt::white);
    QPainter painter(&faded);
    painter.setOpacity(deadCodeOpacity);
    painter.drawPixmap(0, 0, code);
    painter.end();
    m_ui->Code->setPixmap(faded);
}

void SignInWindow::onStateChanged(State state)
{
    // The final states are shown at the end.
    if (state == State::Waiting)
        setStateText(QStringLiteral("请用手机QQ扫描二维码"));
    else if (state == State::Scanned)
        setStateText(QStringLiteral("已扫描，请在手机上确认"));
    else if (state == State::Renewed)
        setStateText(QStringLiteral("二维码已过期，已刷新"));
}

void SignInWindow::onFinished(State state, const QString &message)
{
    switch (state) {
    case State::SignedIn:
        setStateText(QStringLiteral("登录成功"));
        QTimer::singleShot(closeAfterMs, this, &QDialog::accept);
        break;
    case State::Refused:
        setStateText(QStringLiteral("已在手机上拒绝登录"));
        break;
    case State::Restricted:
        setStateText(QStringLiteral("网络受限，无法扫码登录"));
        break;
    case State::Cancelled:
        break;
    case State::Expired:
    case State::Failed:
    case State::FetchingCode:
    case State::Waiting:
    case State::Scanned:
    case State::Renewed:
        setStateText(QStringLiteral("扫码登录失败：") + message);
        break;
    }
    if (state != State::SignedIn)
        fadeCode();
}
