#include <QApplication>
#include <QFile>

// A skin file is the four bytes ".SHE" followed by a Qt style sheet in UTF-8.
extern "C" Q_DECL_EXPORT int SkinH_AttachEx(const char *path, const char * /*password*/)
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!app || !path)
        return 0;
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray data = file.readAll();
    if (!data.startsWith(".SHE"))
        return 0;
    app->setStyleSheet(QString::fromUtf8(data.mid(4)));
    return 1;
}
