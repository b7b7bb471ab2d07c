#include "cli/messages.h"

#include <cstring>

QString Messages::line(const QString &text)
{
    return QStringLiteral("mirelo-lookup: ") + text + u'\n';
}

QString Messages::cannotWriteResults(int error)
{
    return tr("cannot write the results: %1").arg(QString::fromLocal8Bit(std::strerror(error)));
}

QString Messages::cannotReadNumbers(const QString &why)
{
    return tr("cannot read the numbers: %1").arg(why);
}
