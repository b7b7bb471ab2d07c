#include "skin/skinentry.h"

#include <QApplication>
#include <QFile>

// A skin file is the four bytes ".SHE" followed by a Qt style sheet in UTF-8.
extern "C" Q_DECL_EXPORT int SkinH_AttachEx(const char *skinFile, const char * /*password*/)
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!app || !skinFile)
        return 0;
    QFile file(QString::fromLocal8Bit(skinFile));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray data = file.readAll();
    if (!data.startsWith(".SHE"))
        return 0;
    app->setStyleSheet(QString::fromUtf8(data.mid(4)));
    return 1;
}
