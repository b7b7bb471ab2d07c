#include "skin/skinloader.h"

#include "skin/skinentry.h"

#include <QLibrary>

bool applySkin(const QString &modulePath, const QString &skinFile)
{
    // QLibrary leaves the module loaded when it goes out of scope, as the skin needs.
    QLibrary module(modulePath);
    const auto attach = reinterpret_cast<SkinAttachEx>(module.resolve(skinAttachExSymbol));
    if (!attach)
        return false;
    const QByteArray path = skinFile.toLocal8Bit();
    return attach(path.constData(), "") != 0;
}
