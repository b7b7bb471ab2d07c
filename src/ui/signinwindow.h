#pragma once

#include "session/qrsignin.h"

#include <memory>

#include <QDialog>

class Session;
class WebClient;

namespace Ui {
class SignInWindow;
}

// 扫码登录: the login's QR code to scan with the phone, one line of its state, 刷新 for a new
// code and 关闭. Signed in, it says so and closes itself a second later.
class SignInWindow : public QDialog
{
    Q_OBJECT
public:
    SignInWindow(WebClient *web, QString sessionPath, QWidget *parent = nullptr);
    ~SignInWindow() override;

    QString stateText() const;
    // A seam for tests: how fast the login is polled.
    void setTiming(const QrSignIn::Timing &timing) { m_timing = timing; }
    // Starts the sign-in; the window shows it as it goes.
    void begin();

signals:
    void signedIn(std::shared_ptr<const Session> session, const QString &number);

private:
    void onRenewClicked();
    void onCodeShown(const QByteArray &png);
    // Once the sign-in has ended without success, its last code can no longer be used.
    void fadeCode();
    void onStateChanged(QrLogin::State state);
    void onFinished(QrLogin::State state, const QString &message);
    void setStateText(const QString &text);

    std::unique_ptr<Ui::SignInWindow> m_ui;
    WebClient *m_web;
    QString m_sessionPath;
    QrSignIn::Timing m_timing;
    std::unique_ptr<QrSignIn> m_signIn;
};
