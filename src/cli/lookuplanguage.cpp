#include "cli/lookuplanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace LookupLanguage {

bool isChinese(const QByteArray &lcAll, const QByteArray &lcMessages, const QByteArray &lang)
{
    for (const QByteArray &value : {lcAll, lcMessages, lang}) {
        if (!value.isEmpty())
            return value.startsWith("zh");
    }
    return false;
}

void install(QCoreApplication &app)
{
    if (!isChinese(qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG")))
        return;
    // Ours is built into the program; Qt's (the command-line parser's errors) comes with Qt.
    auto *own = new QTranslator(&app);
    if (own->load(QStringLiteral(":/i18n/mirelo-lookup_zh_CN.qm")))
        QCoreApplication::installTranslator(own);
    auto *qt = new QTranslator(&app);
    if (qt->load(QStringLiteral("qtbase_zh_CN"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
}

} // namespace LookupLanguage
