#pragma once

#include "cli/lookupprogram.h"
#include "session/qrsignin.h"

#include <QCoreApplication>
#include <QObject>
#include <QString>

class WebClient;

// mirelo-lookup --sign-in: the code on the terminal (and in a picture file beside it), the
// state on standard error as it changes, the session into the cookies file. Exit status 0
// signed in; 1 refused, expired, restricted or failed; 130 stopped by Ctrl-C.
class SignInProgram : public QObject
{
    Q_OBJECT
public:
    SignInProgram(WebClient *web, const QString &sessionPath, LookupProgram::Terminal terminal);
    ~SignInProgram() override;

    void start();
    // Ctrl-C: ends the sign-in now.
    void interrupt();

    // mirelo-lookup --sign-out: deletes the session file; 0, or 1 when it could not.
    static int signOut(const QString &sessionPath, const LookupProgram::Terminal &terminal);

signals:
    void finished(int exitStatus);

private:
    void onCodeShown(const QByteArray &png);
    void onStateChanged(QrLogin::State state);
    void onFinished(QrLogin::State state, const QString &message);
    void say(const QString &text) const;

    QrSignIn m_signIn;
    LookupProgram::Terminal m_terminal;
    QString m_picture; // the code as a file, while it is shown
    QString m_number;
    bool m_interrupted = false;
};
