#pragma once

#include "session/qrsignin.h"
#include "ui/signinwindow.h"

#include <memory>

#include <QObject>
#include <QPointer>

class MainWindow;
class QLabel;
class Session;

// The session at the right end of the main window's status bar: "未登录 · 扫码登录", "已登录：QQ N"
// with "退出登录", "登录已失效 · 重新扫码" once the services refused it, and "证书无法验证" while
// their certificates cannot be verified. Its links open the sign-in window, or sign out after
// asking.
class SessionStatus : public QObject
{
    Q_OBJECT
public:
    explicit SessionStatus(MainWindow *window);

    QLabel *label() const { return m_label; }
    // The sign-in window while it is open.
    SignInWindow *signInWindow() const { return m_signInWindow; }
    void setSignInTiming(const QrSignIn::Timing &timing) { m_timing = timing; }
    // After each query: a session the services refused is shown so.
    void onQueryFinished();

private:
    void show();
    void onLinkActivated(const QString &link);
    void signIn();
    void signOut();

    MainWindow *m_window;
    QLabel *m_label;
    QPointer<SignInWindow> m_signInWindow;
    QrSignIn::Timing m_timing;
    bool m_refused = false;
    QString m_certificateProblem; // the last query's, while signed in
};
