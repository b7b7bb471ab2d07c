#include "shell/workingfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace WorkingFolder {

namespace {

// Only a real write answers this: permission bits say nothing about root, a read-only mount
// or an ACL.
bool canWriteIn(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".mirelo-probe-XXXXXX")));
    return probe.open();
}

// An installed copy sits in a bin folder beside the desktop entry the install rules put under
// share/. Its folder is shared with other programs (/usr/bin, ~/.local/bin): the files must
// not land there, not even when root runs it.
bool isInstalledCopy(const QString &programDir)
{
    const QDir dir(programDir);
    return dir.dirName() == QLatin1String("bin")
            && QFileInfo::exists(
                    dir.filePath(QStringLiteral("../share/applications/io.mirelo.Mirelo.desktop")));
}

} // namespace

QString choose(const QString &programDir, const QString &dataFolder)
{
    if (!isInstalledCopy(programDir) && canWriteIn(programDir))
        return programDir;
    if (dataFolder.isEmpty() || !QDir().mkpath(dataFolder))
        return programDir;
    return dataFolder;
}

QString forThisRun()
{
    return choose(QCoreApplication::applicationDirPath(),
                  QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
}

} // namespace WorkingFolder
