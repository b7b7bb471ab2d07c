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
    void choosesOneFolder_data();
    void choosesOneFolder();
};

void TestWorkingFolder::choosesOneFolder_data()
{
    QTest::addColumn<QString>("program"); // how the program's folder is
    QTest::addColumn<bool>("dataUsable"); // whether the data folder can be made
    QTest::addColumn<bool>("expectData");
    QTest::newRow("unpacked, writable") << "writable" << true << false;
    QTest::newRow("read-only") << "read-only" << true << true;
    QTest::newRow("installed, writable like ~/.local/bin") << "installed" << true << true;
    QTest::newRow("read-only, no data folder either") << "read-only" << false << false;
}

void TestWorkingFolder::choosesOneFolder()
{
    QFETCH(QString, program);
    QFETCH(bool, dataUsable);
    QFETCH(bool, expectData);
    QTemporaryDir base;
    QVERIFY(base.isValid());
    QCoreApplication::setApplicationName(QStringLiteral("Mirelo"));
    const QString dataHome = base.filePath(dataUsable ? "data-home" : "plain-file/data-home");
    QFile(base.filePath("plain-file")).open(QIODevice::WriteOnly);
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);

    QString programDir = base.filePath("prefix/bin");
    QVERIFY(QDir().mkpath(programDir));
    if (program == "installed") {
        QVERIFY(QDir().mkpath(base.filePath("prefix/share/applications")));
        QFile(base.filePath("prefix/share/applications/io.mirelo.Mirelo.desktop"))
                .open(QIODevice::WriteOnly);
    } else if (program == "read-only") {
        // Root writes into read-only folders; nobody makes files in /proc.
        if (geteuid() == 0)
            programDir = QStringLiteral("/proc");
        else
            QFile::setPermissions(programDir, QFile::ReadOwner | QFile::ExeOwner);
    }

    const QString chosen = WorkingFolder::choose(programDir, data);
    QCOMPARE(chosen, expectData ? data : programDir);
    QCOMPARE(QFileInfo(data).isDir(), expectData);
    if (program == "writable") // the writability probe leaves nothing behind
        QVERIFY(QDir(programDir).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

QTEST_GUILESS_MAIN(TestWorkingFolder)
#include "tst_workingfolder.moc"
