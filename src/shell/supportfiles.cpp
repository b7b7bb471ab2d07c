#include "shell/supportfiles.h"

#include <QFile>
#include <QSaveFile>

namespace SupportFiles {

QString resourcePath(const Entry &entry)
{
    return QStringLiteral(":/support/") + QString::number(entry.id);
}

QString filePath(const QString &programDir, const Entry &entry)
{
    // The table's names start with a backslash; here that only means "inside the directory".
    QString name = QString::fromLatin1(entry.name);
    if (name.startsWith(u'\\'))
        name.remove(0, 1);
    return programDir + u'/' + name;
}

int writeAll(const QString &programDir)
{
    int written = 0;
    for (const Entry &entry : SupportFileTable) {
        QFile resource(resourcePath(entry));
        if (!resource.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = resource.readAll();

        // A new file renamed over the old one: another running instance that has the skin
        // module mapped keeps its own copy instead of seeing it change under it.
        QSaveFile file(filePath(programDir, entry));
        if (!file.open(QIODevice::WriteOnly))
            continue;
        if (file.write(bytes) != bytes.size()) {
            file.cancelWriting();
            continue;
        }
        if (file.commit())
            ++written;
    }
    return written;
}

} // namespace SupportFiles
