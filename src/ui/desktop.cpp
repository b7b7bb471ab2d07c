#include "ui/desktop.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

void SystemDesktop::openAddress(const QString &address)
{
    QDesktopServices::openUrl(QUrl(address));
}

void SystemDesktop::startProgram(const QString &path)
{
    QProcess::startDetached(path, {});
}

void SystemDesktop::endProcess()
{
    // Leaves every event loop, so no window gets a close request on the way out.
    QCoreApplication::exit(0);
}
