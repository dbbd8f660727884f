#include "core/platform/CheckedFileWriter.h"
#include "fixtures/FailDevice.h"
#include "fixtures/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestCheckedFileWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void streamsUntilTheDeviceFails_data();
    void streamsUntilTheDeviceFails();
    void replaceKeepsTheOldFileUntilCommit();
    void unwritableFolderGivesTheReason();
    void notRegularFiles_data();
    void notRegularFiles();
    void sameFile_data();
    void sameFile();

private:
    QString path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCheckedFileWriter::streamsUntilTheDeviceFails_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<QList<int>>("chunks");
    QTest::addColumn<int>("failingChunk"); // -1: none fails
    QTest::addColumn<int>("stored");

    QTest::newRow("fits") << 100 << QList<int>{40, 60} << -1 << 100;
    QTest::newRow("short write, later writes skipped") << 50 << QList<int>{40, 20, 10} << 1 << 50;
    QTest::newRow("full from the start") << 0 << QList<int>{1, 1} << 0 << 0;
}

void TestCheckedFileWriter::streamsUntilTheDeviceFails()
{
    QFETCH(int, limit);
    QFETCH(QList<int>, chunks);
    QFETCH(int, failingChunk);
    QFETCH(int, stored);
    FailDevice device(limit);
    QVERIFY(device.open(QIODevice::WriteOnly));
    CheckedFileWriter writer(device, QStringLiteral("export.txt"));
    QVERIFY(writer.open().ok());
    for (qsizetype i = 0; i < chunks.size(); ++i)
        QCOMPARE(writer.write(QByteArray(chunks[i], 'x')), failingChunk < 0 || i < failingChunk);
    const Outcome committed = writer.commit();
    QCOMPARE(committed.ok(), failingChunk < 0);
    QCOMPARE(device.written().size(), stored);
    if (failingChunk >= 0)
        QCOMPARE(committed.error(), QStringLiteral("Cannot write export.txt: No space left on device"));
}

void TestCheckedFileWriter::replaceKeepsTheOldFileUntilCommit()
{
    const QString file = path("DefFMT.txt");
    QVERIFY(TestFiles::write(file, "old"));
    {
        CheckedFileWriter abandoned(file);
        QVERIFY(abandoned.open().ok());
        QVERIFY(abandoned.write("new"));
        QCOMPARE(TestFiles::read(file), QByteArray("old"));
    }
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("DefFMT.txt")});
    QVERIFY(writeFileAtomically(file, "new").ok());
    QCOMPARE(TestFiles::read(file), QByteArray("new"));
}

void TestCheckedFileWriter::unwritableFolderGivesTheReason()
{
    const QString file = path("gone/TQ90_log.bin");
    const Outcome written = writeFileAtomically(file, "log");
    QVERIFY(!written.ok());
    QVERIFY2(written.error().startsWith(QStringLiteral("Cannot write ") + QDir::toNativeSeparators(file) +
                                        QStringLiteral(": ")),
             qPrintable(written.error()));
    QVERIFY2(!written.error().contains(QStringLiteral("Unknown error")), qPrintable(written.error()));
}

void TestCheckedFileWriter::notRegularFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("regular") << "file"
                             << "";
    QTest::newRow("missing") << "none"
                             << "";
    QTest::newRow("folder") << "folder"
                            << "a folder";
    QTest::newRow("named pipe") << "fifo"
                                << "a named pipe, a device or a socket";
    QTest::newRow("link to a named pipe") << "fifo-link"
                                          << "a named pipe, a device or a socket";
}

void TestCheckedFileWriter::notRegularFiles()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QVERIFY(TestFiles::write(path("file"), "x"));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
    QCOMPARE(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    QVERIFY(QFile::link(path("fifo"), path("fifo-link")));
    QCOMPARE(notRegularFileReason(m_dir->filePath(name)), reason);
}

void TestCheckedFileWriter::sameFile_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("link to the file") << "link"
                                      << "data/dataexport.db" << true;
    QTest::newRow("through a linked folder") << "datalink/dataexport.db"
                                             << "data/dataexport.db" << true;
    QTest::newRow("missing file in a linked folder") << "datalink/ZUN.BAK"
                                                     << "data/ZUN.BAK" << true;
    QTest::newRow("dangling link to a file yet to come") << "dangling"
                                                         << "data/ZUN.BAK" << true;
    QTest::newRow("dot segments") << "data/../data/dataexport.db"
                                  << "data/dataexport.db" << true;
    QTest::newRow("another file") << "data/other.db"
                                  << "data/dataexport.db" << false;
}

void TestCheckedFileWriter::sameFile()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("data")));
    QVERIFY(TestFiles::write(path("data/dataexport.db"), "db"));
    QVERIFY(TestFiles::write(path("data/other.db"), "db"));
    QVERIFY(QFile::link(path("data/dataexport.db"), path("link")));
    QVERIFY(QFile::link(path("data"), path("datalink")));
    QVERIFY(QFile::link(path("data/ZUN.BAK"), path("dangling")));
    QCOMPARE(isSameFile(m_dir->filePath(a), m_dir->filePath(b)), same);
}

QTEST_GUILESS_MAIN(TestCheckedFileWriter)
#include "tst_checkedfilewriter.moc"
