#include "shell/supportfiles.h"
#include "shell/workingfolder.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestWorkingFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void writableFolderKeepsFilesBesideTheProgram();
    void unwritableFolderMovesToTheUserDataFolder();
    void installedCopyUsesTheUserDataFolder();
    void noDataFolderLeavesTheProgramFolder();

private:
    // A folder this process cannot create files in, whoever runs the test.
    QString unwritableFolder();

    QTemporaryDir m_base;
};

void TestWorkingFolder::initTestCase()
{
    QVERIFY(m_base.isValid());
    QCoreApplication::setApplicationName(QStringLiteral("Mirelo"));
}

QString TestWorkingFolder::unwritableFolder()
{
    // Root writes into read-only folders; nobody makes files in /proc.
    if (geteuid() == 0)
        return QStringLiteral("/proc");
    const QString folder = m_base.filePath(QStringLiteral("read-only"));
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    return folder;
}

void TestWorkingFolder::writableFolderKeepsFilesBesideTheProgram()
{
    QTemporaryDir program;
    const QString data = m_base.filePath(QStringLiteral("unused/Mirelo"));
    QCOMPARE(WorkingFolder::choose(program.path(), data), program.path());
    QVERIFY(!QFileInfo::exists(data));
    // The writability probe leaves nothing behind.
    QVERIFY(QDir(program.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

void TestWorkingFolder::unwritableFolderMovesToTheUserDataFolder()
{
    const QString dataHome = m_base.filePath(QStringLiteral("data-home"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QCOMPARE(data, dataHome + QStringLiteral("/Mirelo"));

    const QString program = unwritableFolder();
    const QString folder = WorkingFolder::choose(program, data);
    QCOMPARE(folder, data);
    QCOMPARE(SupportFiles::writeAll(folder), int(SupportFiles::SupportFileTable.size()));
    QVERIFY(QFileInfo::exists(SupportFiles::filePath(data, SupportFiles::SupportFileTable[1])));
}

void TestWorkingFolder::installedCopyUsesTheUserDataFolder()
{
    // Writable, as ~/.local/bin is, but shared with other programs.
    QTemporaryDir prefix;
    QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/applications")));
    QFile entry(prefix.filePath(QStringLiteral("share/applications/io.mirelo.Mirelo.desktop")));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.close();

    const QString data = m_base.filePath(QStringLiteral("installed/Mirelo"));
    QCOMPARE(WorkingFolder::choose(prefix.filePath(QStringLiteral("bin")), data), data);
    QVERIFY(QFileInfo(data).isDir());

    // The same folder layout without the desktop entry is just an unpacked copy.
    QVERIFY(entry.remove());
    QCOMPARE(WorkingFolder::choose(prefix.filePath(QStringLiteral("bin")), data),
             prefix.filePath(QStringLiteral("bin")));
}

void TestWorkingFolder::noDataFolderLeavesTheProgramFolder()
{
    const QString program = unwritableFolder();
    QFile plain(m_base.filePath(QStringLiteral("plain-file")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QCOMPARE(WorkingFolder::choose(program, plain.fileName() + QStringLiteral("/Mirelo")), program);
    QCOMPARE(WorkingFolder::choose(program, QString()), program);
}

QTEST_GUILESS_MAIN(TestWorkingFolder)
#include "tst_workingfolder.moc"
