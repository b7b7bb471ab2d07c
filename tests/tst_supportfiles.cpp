#include "shell/splashwindow.h"
#include "shell/supportfiles.h"
#include "support/files.h"

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

namespace {
QByteArray resourceBytes(const SupportFiles::Entry &entry)
{
    return readFile(SupportFiles::resourcePath(entry));
}

bool anyMessageBox()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox *>(w))
            return true;
    }
    return false;
}
} // namespace

// The files the splash writes into the program folder at every start.
class TestSupportFiles : public QObject
{
    Q_OBJECT
private slots:
    void supportFilesHoldTheEmbeddedBytes();
    void supportFilesReplaceWhatIsThere();
    void oneUnwritableFileDoesNotStopTheRest();
    void unwritableDirectoryIsSkippedSilently_data();
    void unwritableDirectoryIsSkippedSilently();
};

void TestSupportFiles::supportFilesHoldTheEmbeddedBytes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(SupportFiles::writeAll(dir.path()), 9);

    QStringList names;
    for (const SupportFiles::Entry &entry : SupportFiles::SupportFileTable) {
        const QString path = SupportFiles::filePath(dir.path(), entry);
        QCOMPARE(QFileInfo(path).absolutePath(), QDir(dir.path()).absolutePath());
        const QByteArray expected = resourceBytes(entry);
        QVERIFY2(!expected.isEmpty(), entry.name);
        QCOMPARE(readFile(path), expected);
        names.append(QFileInfo(path).fileName());
    }
    QCOMPARE(names,
             QStringList({"SkinH_VB6.dll", "skinh.she", "COMDLG32.OCX", "MSCOMCTL.OCX",
                          "MSINET.OCX", "Image.OCX", "TABCTL32.OCX", "zv.mp3", "h.jpg"}));

    // What the main window relies on: a loadable module, the skin mark, a 100x100 picture.
    QVERIFY(readFile(dir.filePath("SkinH_VB6.dll"))
                    .startsWith("\x7f"
                                "ELF"));
    QVERIFY(readFile(dir.filePath("skinh.she")).startsWith(".SHE"));
    QCOMPARE(QImage(dir.filePath("h.jpg")).size(), QSize(100, 100));
    const QByteArray mp3 = readFile(dir.filePath("zv.mp3"));
    QVERIFY(mp3.startsWith("ID3")
            || (mp3.size() > 1 && uchar(mp3.at(0)) == 0xff && (uchar(mp3.at(1)) & 0xe0) == 0xe0));
}

void TestSupportFiles::supportFilesReplaceWhatIsThere()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Longer and shorter leftovers: both must end up exactly as embedded.
    const QString skin = dir.filePath("skinh.she");
    const QString picture = dir.filePath("h.jpg");
    QVERIFY(writeFile(skin, QByteArray(qsizetype(256) * 1024, 'x')));
    QVERIFY(writeFile(picture, "old"));
    // A running instance holding the old file keeps reading the old bytes: the new file
    // replaces it whole instead of being written into it.
    QFile reader(skin);
    QVERIFY(reader.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    QCOMPARE(SupportFiles::writeAll(dir.path()), 9);
    QCOMPARE(reader.readAll(), QByteArray(qsizetype(256) * 1024, 'x'));
    QCOMPARE(readFile(skin), resourceBytes(SupportFiles::SupportFileTable[1]));
    QCOMPARE(readFile(picture), resourceBytes(SupportFiles::SupportFileTable[8]));

    // Every start writes them all again.
    QCOMPARE(SupportFiles::writeAll(dir.path()), 9);
    QCOMPARE(readFile(skin), resourceBytes(SupportFiles::SupportFileTable[1]));
}

void TestSupportFiles::oneUnwritableFileDoesNotStopTheRest()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A directory in the way of "zv.mp3" cannot be replaced by a file, not even by root.
    QVERIFY(QDir(dir.path()).mkdir("zv.mp3"));
    QCOMPARE(SupportFiles::writeAll(dir.path()), 8);
    QVERIFY(QFileInfo(dir.filePath("zv.mp3")).isDir());
    QCOMPARE(readFile(dir.filePath("h.jpg")), resourceBytes(SupportFiles::SupportFileTable[8]));
    QCOMPARE(readFile(dir.filePath("SkinH_VB6.dll")),
             resourceBytes(SupportFiles::SupportFileTable[0]));
}

void TestSupportFiles::unwritableDirectoryIsSkippedSilently_data()
{
    QTest::addColumn<bool>("readOnlyDirectory");
    QTest::newRow("read-only directory") << true;
    QTest::newRow("directory under a regular file") << false;
}

void TestSupportFiles::unwritableDirectoryIsSkippedSilently()
{
    QFETCH(bool, readOnlyDirectory);
    QTemporaryDir base;
    QVERIFY(base.isValid());
    QString programDir;
    QTemporaryFile plainFile;
    if (readOnlyDirectory) {
        if (geteuid() == 0)
            QSKIP("root writes into read-only directories");
        programDir = base.filePath("ro");
        QVERIFY(QDir(base.path()).mkdir("ro"));
        QVERIFY(QFile::setPermissions(programDir, QFile::ReadOwner | QFile::ExeOwner));
    } else {
        QVERIFY(plainFile.open());
        programDir = plainFile.fileName() + "/program";
    }

    QCOMPARE(SupportFiles::writeAll(programDir), 0);

    // The splash itself goes on as usual: no message, fading in.
    QPointer<SplashWindow> splash = new SplashWindow(programDir);
    splash->show();
    QVERIFY(!anyMessageBox());
    QVERIFY(splash->findChild<QTimer *>("Timer1")->isActive());
    if (readOnlyDirectory)
        QVERIFY(QDir(programDir).isEmpty());
    else
        QVERIFY(!QFileInfo::exists(programDir));
    delete splash;
    if (readOnlyDirectory)
        QFile::setPermissions(programDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QTEST_MAIN(TestSupportFiles)
#include "tst_supportfiles.moc"
