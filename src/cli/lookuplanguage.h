#pragma once

#include <QByteArray>

class QCoreApplication;

namespace LookupLanguage {

// Whether the locale that decides the language of messages is a Chinese one: the first of
// LC_ALL, LC_MESSAGES and LANG that is set, as POSIX orders them.
bool isChinese(const QByteArray &lcAll, const QByteArray &lcMessages, const QByteArray &lang);

// Makes mirelo-lookup speak Chinese when the environment's locale is Chinese (Qt's own texts
// too); English, the source language, otherwise.
void install(QCoreApplication &app);

} // namespace LookupLanguage
