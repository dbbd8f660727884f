#include "core/platform/AppPaths.h"
#include "core/platform/CheckedFileWriter.h"
#include "core/platform/Cp874.h"
#include "core/platform/IniFile.h"
#include "fixtures/FailDevice.h"
#include "fixtures/FileSizeLimit.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/stat.h>

// The settings and layout files, the checked file writer under failing devices and a full file
// system, and where the data directory is.
class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void iniRead_data();
    void iniRead();
    void iniWrite_data();
    void iniWrite();
    void readCuts_data();
    void readCuts();
    void store_data();
    void store();
    void codePage874();
    void shift_data();
    void shift();
    void writerOnFailingDevice_data();
    void writerOnFailingDevice();
    void fullFileSystemKeepsTheOldFile_data();
    void fullFileSystemKeepsTheOldFile();
    void abandonedWriterKeepsTheOldFile();
    void unwritableFolder();
    void notRegularFiles_data();
    void notRegularFiles();
    void sameFile_data();
    void sameFile();
    void dataDirectory_data();
    void dataDirectory();
    void programFolderAsDataDirectory_data();
    void programFolderAsDataDirectory();

private:
    QString path(const QString& name = u"DefFMT.txt"_qs) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPlatform::iniRead_data()
{
    addColumns<QByteArray, QString, QString, QString>({"file", "section", "key", "value"});
    const QByteArray basic("[text]\r\nFormatName=Week\r\nIP=10.0.0.5\r\n");
    addRow("plain", basic, "text", "IP", "10.0.0.5");
    addRow("section and key case", basic, "TEXT", "formatname", "Week");
    addRow("missing key", basic, "text", "Port", "dflt");
    addRow("missing section", basic, "other", "IP", "dflt");
    addRow("missing file", QByteArray(), "text", "IP", "dflt");
    addRow("blanks and tabs around", QByteArray("[text]\r\n  IP\t=\t x  \r\n"), "text", "ip", "x");
    addRow("empty value is no default", QByteArray("[text]\r\nIP=\r\n"), "text", "IP", "");
    addRow("quotes, 0 chars inside", QByteArray("[text]\r\nIP=\"\"\r\n"), "text", "IP", "");
    addRow("quote alone", QByteArray("[text]\r\nIP=\"\r\n"), "text", "IP", "\"");
    addRow("quotes, 1 char inside", QByteArray("[text]\r\nIP=\"a\"\r\n"), "text", "IP", "a");
    addRow("quotes, 2 chars inside", QByteArray("[text]\r\nIP=\"ab\"\r\n"), "text", "IP", "ab");
    addRow("quoted blanks kept", QByteArray("[text]\r\nIP=\" a b \"\r\n"), "text", "IP", "a b");
    addRow("single quotes", QByteArray("[text]\r\nIP='x'\r\n"), "text", "IP", "x");
    addRow("only one pair", QByteArray("[text]\r\nIP=\"\"x\"\"\r\n"), "text", "IP", "\"x\"");
    addRow("unmatched quotes", QByteArray("[text]\r\nIP=\"x'\r\n"), "text", "IP", "\"x'");
    addRow("closing quote only", QByteArray("[text]\r\nIP=x\"\r\n"), "text", "IP", "x\"");
    addRow("opening quote only", QByteArray("[text]\r\nIP='x\r\n"), "text", "IP", "'x");
    addRow("first section wins", QByteArray("[text]\r\nIP=1\r\n[Text]\r\nIP=2\r\nPort=9\r\n"), "text", "IP",
           "1");
    addRow("later duplicate unseen", QByteArray("[text]\r\nIP=1\r\n[Text]\r\nPort=9\r\n"), "text", "Port",
           "dflt");
    addRow("first key wins", QByteArray("[text]\r\nIP=1\r\nip=2\r\n"), "text", "IP", "1");
    addRow("after the first equals", QByteArray("[text]\r\nk=a=b\r\n"), "text", "k", "a=b");
    addRow("LF and CR lines", QByteArray("[text]\nA=lf\rIP=cr\r"), "text", "IP", "cr");
    addRow("no final line end", QByteArray("[text]\r\nIP=end"), "text", "IP", "end");
    addRow("key before any section", QByteArray("IP=0\r\n[text]\r\n"), "text", "IP", "dflt");
    addRow("key in other section", QByteArray("[a]\r\nIP=1\r\n[text]\r\n"), "text", "IP", "dflt");
    addRow("section name with blanks", QByteArray("  [ text ]  \r\nIP=s\r\n"), "text", "IP", "s");
    addRow("unclosed section name", QByteArray("[text\r\nIP=u\r\n"), "text", "IP", "u");
    addRow("backslash section", QByteArray("[ZUNData\\ROW\\2]\r\nTextMatrix=Date\r\n"), "zundata\\row\\2",
           "TextMatrix", "Date");
}

void TestPlatform::iniRead()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    if (!file.isEmpty())
        QVERIFY(TestFiles::write(path(), file));
    QTEST(readIniValue(section, key, u"dflt"_qs, path()), "value");
}

void TestPlatform::iniWrite_data()
{
    addColumns<QByteArray, QString, QString, QString, QByteArray>(
        {"before", "section", "key", "value", "after"});
    addRow("missing file", QByteArray(), "text", "IP", "1.2.3.4", QByteArray("[text]\r\nIP=1.2.3.4\r\n"));
    addRow("replace in place keeps the rest",
           QByteArray("; n\r\n[text]\r\nIP = old\r\nPort=5\r\n\r\n[x]\nk=v\n"), "TEXT", "ip", "new",
           QByteArray("; n\r\n[text]\r\nIP =new\r\nPort=5\r\n\r\n[x]\nk=v\n"));
    addRow("new key after the section's last line", QByteArray("[text]\r\nIP=1\r\n\r\n[o]\r\nk=v\r\n"),
           "text", "Port", "5", QByteArray("[text]\r\nIP=1\r\nPort=5\r\n\r\n[o]\r\nk=v\r\n"));
    addRow("new key into an empty section", QByteArray("[text]\r\n\r\n"), "text", "k", "v",
           QByteArray("[text]\r\nk=v\r\n\r\n"));
    addRow("new section at the end", QByteArray("[text]\r\nIP=1"), "Z\\1", "T", "U",
           QByteArray("[text]\r\nIP=1\r\n[Z\\1]\r\nT=U\r\n"));
    addRow("unterminated last line", QByteArray("[text]\r\nIP=1"), "text", "Port", "2",
           QByteArray("[text]\r\nIP=1\r\nPort=2\r\n"));
    addRow("value written unchanged", QByteArray(), "text", "k", "  \"a;b\"  ",
           QByteArray("[text]\r\nk=  \"a;b\"  \r\n"));
    addRow("into the first duplicate section", QByteArray("[text]\r\nIP=1\r\n\r\n[Text]\r\nPort=9\r\n"),
           "TEXT", "Port", "5", QByteArray("[text]\r\nIP=1\r\nPort=5\r\n\r\n[Text]\r\nPort=9\r\n"));
    addRow("first duplicate key replaced", QByteArray("[text]\r\nk=1\r\nK=2\r\n"), "text", "k", "3",
           QByteArray("[text]\r\nk=3\r\nK=2\r\n"));
    addRow("line breaks become blanks", QByteArray(), "text", "a\r\nb", "c\nd",
           QByteArray("[text]\r\na  b=c d\r\n"));
    addRow("key opening a section", QByteArray("[text]\r\n"), "text", "[x", "1",
           QByteArray("[text]\r\n[x=1\r\n"));
}

void TestPlatform::iniWrite()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    if (!before.isNull())
        QVERIFY(TestFiles::write(path(), before));
    QCOMPARE(writeIniValue(section, key, value, path()), 1);
    QTEST(TestFiles::read(path()), "after");
    if (!key.contains(u'['))
        QCOMPARE(readLayoutValue(section, QString(key).replace(u'\r', u' ').replace(u'\n', u' '), path()),
                 QString(value).replace(u'\n', u' ').trimmed().remove(u'"'));
}

void TestPlatform::readCuts_data()
{
    addColumns<QString, bool, QString, int>({"value", "layout", "read", "fromDefault"});
    addRow("settings: 254 kept", QString(254, u'x'), false, QString(254, u'x'), 254);
    addRow("settings: 255 cut", QString(255, u'x'), false, QString(254, u'x'), 254);
    addRow("layout: 255 kept", QString(255, u'x'), true, QString(255, u'x'), 254);
    addRow("layout: 256 cut", QString(256, u'x'), true, QString(255, u'x'), 254);
    addRow("settings: NUL dropped", u"a\0b"_qs, false, "ab", 2);
    addRow("layout: cut at NUL", u"a\0b"_qs, true, "a", 2);
    addRow("tabs: trimmed in the file, in a default only at its end", u"\t x \t"_qs, false, "x", 3);
}

void TestPlatform::readCuts()
{
    QFETCH(QString, value);
    QFETCH(bool, layout);
    QVERIFY(writeIniValue(u"text"_qs, u"k"_qs, value, path()));
    QTEST(layout ? readLayoutValue(u"text"_qs, u"k"_qs, path())
                 : readIniValue(u"text"_qs, u"k"_qs, {}, path()),
          "read");
    QTEST(int(readIniValue(u"text"_qs, u"none"_qs, value, path()).size()), "fromDefault");
    QCOMPARE(readLayoutValue(u"text"_qs, u"none"_qs, path()), QString());
}

void TestPlatform::store_data()
{
    addColumns<QString, QString, QString>({"key", "value", "refusal"}); // refusal "": stored
    addRow("plain", "IPSQL", "srv", "");
    addRow("254 characters", "k", QString(254, u'x'), "");
    addRow("255 characters", "k", QString(255, u'x'), "longer than the 254");
    addRow("after a key added before", "B", "2", "");
    addRow("enclosing quotes", "k", "\"x\"", "read back as \"x\"");
    addRow("one quote", "k", "\"", "");
    addRow("blank around", "k", " x", "read back as \"x\"");
    addRow("outside the code page", "k", "漢", "not in code page 874");
    addRow("line break", "k", "a\nb", "line break");
    addRow("NUL", "k", u"a\0b"_qs, "line break");
    addRow("key holding =", "a=b", "1", "name cannot hold");
    addRow("key opening a section", "[x", "1", "name cannot hold");
}

void TestPlatform::store()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, refusal);
    const QByteArray before("[text]\r\nA=1\r\n\r\n[next]\r\n");
    QVERIFY(TestFiles::write(path(), before));
    const Outcome stored = storeIniValue(u"text"_qs, key, value, path());
    QVERIFY2(stored.ok() == refusal.isEmpty() && stored.error().contains(refusal),
             qPrintable(stored.error()));
    if (stored.ok())
        QCOMPARE(readIniValue(u"text"_qs, key, u"dflt"_qs, path()), value);
    else
        QVERIFY(stored.error().contains(u"was not changed"_qs) && TestFiles::read(path()) == before);
}

void TestPlatform::codePage874()
{
    const QString thai = u"ชื่อรูปแบบ"_qs;
    QVERIFY(writeIniValue(u"V"_qs, u"ViewName"_qs, thai, path()));
    QCOMPARE(TestFiles::read(path()),
             QByteArray("[V]\r\nViewName=\xAA\xD7\xE8\xCD\xC3\xD9\xBB\xE1\xBA\xBA\r\n"));
    QCOMPARE(readLayoutValue(u"v"_qs, u"viewname"_qs, path()), thai);
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<char>(i);
    bool ok = false;
    QCOMPARE(Cp874::encode(Cp874::decode(all), &ok), all);
    QVERIFY(ok);
    for (int i = 0; i < 256; ++i)
        QCOMPARE(Cp874::codeOf(Cp874::charOf(static_cast<unsigned char>(i))), i);
    Cp874::encode(u"漢"_qs, &ok);
    QVERIFY(!ok);
    QCOMPARE(Cp874::codeOf(QChar(0x0E3B)), -1);
    QCOMPARE(Cp874::codeOf(QChar(0x0E3E)), -1);
}

void TestPlatform::shift_data()
{
    addColumns<QString, QString>({"clear", "stored"}); // stored "-": refused
    addRow("example", "abc", "bdf");
    addRow("empty", "", "");
    addRow("lands on Thai", QString(QChar(0xA0)), QString(QChar(0x0E01)));
    addRow("code 255 at position 4", u"abc\u0E5B"_qs, u"bdf\uF7FF"_qs);
    addRow("code 256 at position 5", u"abcd\u0E5B"_qs, "-");
    addRow("not in the code page", "pa漢", "-");
    addRow("one double quote", "!", "\"");
    addRow("unlike quotes at the ends", "!%", "\"'");
    addRow("double quotes at the ends", "! ", "-");
    addRow("single quotes at the ends", "&%", "-");
}

void TestPlatform::shift()
{
    QFETCH(QString, clear);
    QFETCH(QString, stored);
    const Expected<QString> shifted = shiftPassword(clear);
    if (stored == u"-") {
        QVERIFY(!shifted.ok() && shifted.error().contains(u"cannot be stored"_qs));
        return;
    }
    QVERIFY2(shifted.ok(), qPrintable(shifted.error()));
    QCOMPARE(*shifted, stored);
    QVERIFY(writeIniValue(u"text"_qs, u"PASSSQL"_qs, *shifted, path()));
    QCOMPARE(unshiftPassword(readIniValue(u"text"_qs, u"PASSSQL"_qs, {}, path())), clear);
}

void TestPlatform::writerOnFailingDevice_data()
{
    addColumns<int, QList<int>, int, int>({"limit", "chunks", "failingChunk", "stored"}); // -1: none fails
    addRow("fits", 100, QList<int>{40, 60}, -1, 100);
    addRow("exactly full", 100, QList<int>{100}, -1, 100);
    addRow("short write, later writes skipped", 50, QList<int>{40, 20, 10}, 1, 50);
    addRow("full from the start", 0, QList<int>{1, 1}, 0, 0);
}

void TestPlatform::writerOnFailingDevice()
{
    QFETCH(int, limit);
    QFETCH(QList<int>, chunks);
    QFETCH(int, failingChunk);
    FailDevice device(limit);
    QVERIFY(device.open(QIODevice::WriteOnly));
    CheckedFileWriter writer(device, u"export.txt"_qs);
    QVERIFY(writer.open().ok());
    for (qsizetype i = 0; i < chunks.size(); ++i)
        QCOMPARE(writer.write(QByteArray(chunks[i], 'x')), failingChunk < 0 || i < failingChunk);
    const Outcome committed = writer.commit();
    QCOMPARE(committed.ok(), failingChunk < 0);
    QCOMPARE(writer.failed(), failingChunk >= 0);
    QTEST(int(device.written().size()), "stored");
    if (failingChunk >= 0)
        QCOMPARE(committed.error(), u"Cannot write export.txt: No space left on device"_qs);
}

void TestPlatform::fullFileSystemKeepsTheOldFile_data()
{
    addColumns<QString, int>({"writer", "bytes"});
    for (const int bytes : {5000, 100000}) {
        for (const char* writer : {"atomic", "settings", "store", "overwrite"})
            QTest::addRow("%s, %d bytes", writer, bytes) << QString::fromLatin1(writer) << bytes;
    }
}

void TestPlatform::fullFileSystemKeepsTheOldFile()
{
    QFETCH(QString, writer);
    QFETCH(int, bytes);
    // a file that cannot be written again in whole once files may not grow past 4 KiB
    const QByteArray old = "[text]\r\nk=old\r\n;" + QByteArray(bytes, 'c') + "\r\n";
    QVERIFY(TestFiles::write(path(), old));
    QString error;
    {
        const FileSizeLimit full(4096);
        QVERIFY(full.ok());
        if (writer == u"atomic") {
            error = writeFileAtomically(path(), old + 'x').error();
        } else if (writer == u"settings") {
            error =
                writeIniValue(u"text"_qs, u"k"_qs, u"new"_qs, path()) == 0 ? u"Cannot write "_qs : QString();
        } else if (writer == u"store") {
            error = storeIniValue(u"text"_qs, u"k"_qs, u"new"_qs, path()).error();
        } else {
            CheckedFileWriter overwrite(path(), CheckedFileWriter::Mode::Overwrite);
            QVERIFY(overwrite.open().ok());
            overwrite.write(old + 'x');
            error = overwrite.commit().error();
        }
    }
    QVERIFY2(error.startsWith(u"Cannot write "_qs) && !error.contains(u"Unknown error"_qs),
             qPrintable(error));
    if (writer != u"overwrite")
        QCOMPARE(TestFiles::read(path()), old);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{u"DefFMT.txt"_qs});
}

void TestPlatform::abandonedWriterKeepsTheOldFile()
{
    QVERIFY(TestFiles::write(path(), "old"));
    {
        CheckedFileWriter abandoned(path());
        QVERIFY(abandoned.open().ok());
        QVERIFY(abandoned.write("new"));
        QCOMPARE(TestFiles::read(path()), QByteArray("old"));
    }
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{u"DefFMT.txt"_qs});
    QVERIFY(writeFileAtomically(path(), "new").ok());
    QCOMPARE(TestFiles::read(path()), QByteArray("new"));
}

void TestPlatform::unwritableFolder()
{
    const QString file = path(u"gone/TQ90_log.bin"_qs);
    const Outcome written = writeFileAtomically(file, "log");
    QVERIFY2(written.error().startsWith(u"Cannot write "_qs + file + u": "_qs) &&
                 !written.error().contains(u"Unknown error"_qs),
             qPrintable(written.error()));
    QCOMPARE(writeIniValue(u"text"_qs, u"IP"_qs, u"x"_qs, file), 0);
    QVERIFY(QDir().mkpath(path(u"folder"_qs)));
    QVERIFY(
        storeIniValue(u"text"_qs, u"IP"_qs, u"x"_qs, path(u"folder"_qs)).error().contains(u"a folder"_qs));
}

void TestPlatform::notRegularFiles_data()
{
    addColumns<QString, QString>({"name", "reason"});
    addRow("regular", "file", "");
    addRow("missing", "none", "");
    addRow("folder", "folder", "a folder");
    addRow("named pipe", "fifo", "a named pipe, a device or a socket");
    addRow("link to a named pipe", "fifo-link", "a named pipe, a device or a socket");
}

void TestPlatform::notRegularFiles()
{
    QFETCH(QString, name);
    QVERIFY(TestFiles::write(path(u"file"_qs), "x") && QDir().mkdir(path(u"folder"_qs)));
    QCOMPARE(::mkfifo(QFile::encodeName(path(u"fifo"_qs)).constData(), 0600), 0);
    QVERIFY(QFile::link(path(u"fifo"_qs), path(u"fifo-link"_qs)));
    QTEST(notRegularFileReason(path(name)), "reason");
    // a pipe is never opened to be read: it would wait for a writer
    QCOMPARE(readIniValue(u"text"_qs, u"k"_qs, u"d"_qs, path(name)), u"d"_qs);
}

void TestPlatform::sameFile_data()
{
    addColumns<QString, QString, bool>({"a", "b", "same"});
    addRow("link to the file", "link", "data/dataexport.db", true);
    addRow("through a linked folder", "datalink/dataexport.db", "data/dataexport.db", true);
    addRow("missing file in a linked folder", "datalink/ZUN.BAK", "data/ZUN.BAK", true);
    addRow("dangling link to a file yet to come", "dangling", "data/ZUN.BAK", true);
    addRow("dot segments", "data/../data/dataexport.db", "data/dataexport.db", true);
    addRow("another file", "data/other.db", "data/dataexport.db", false);
}

void TestPlatform::sameFile()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QVERIFY(QDir().mkdir(path(u"data"_qs)));
    QVERIFY(TestFiles::write(path(u"data/dataexport.db"_qs), "db") &&
            TestFiles::write(path(u"data/other.db"_qs), "db"));
    QVERIFY(QFile::link(path(u"data/dataexport.db"_qs), path(u"link"_qs)));
    QVERIFY(QFile::link(path(u"data"_qs), path(u"datalink"_qs)));
    QVERIFY(QFile::link(path(u"data/ZUN.BAK"_qs), path(u"dangling"_qs)));
    QTEST(isSameFile(path(a), path(b)), "same");
}

void TestPlatform::dataDirectory_data()
{
    // @ stands for a fresh folder; dir "-": refused, "": the default
    addColumns<QStringList, QString, QStringList>({"arguments", "dir", "left"});
    const QString t = u"tqtool"_qs;
    addRow("separate value", QStringList{t, u"--data-dir"_qs, u"@"_qs, u"x"_qs}, "@",
           QStringList{t, u"x"_qs});
    addRow("joined value", QStringList{t, u"x"_qs, u"--data-dir=@"_qs}, "@", QStringList{t, u"x"_qs});
    addRow("created when missing", QStringList{t, u"--data-dir"_qs, u"@/new/deeper"_qs}, "@/new/deeper",
           QStringList{t});
    addRow("first option taken", QStringList{t, u"--data-dir=@/a"_qs, u"--data-dir=@/b"_qs}, "@/a",
           QStringList{t, u"--data-dir=@/b"_qs});
    addRow("no value", QStringList{t, u"--data-dir"_qs}, "-", QStringList{});
    addRow("empty joined value", QStringList{t, u"--data-dir="_qs}, "-", QStringList{});
    addRow("below a file", QStringList{t, u"--data-dir"_qs, u"@/file/data"_qs}, "-", QStringList{});
    addRow("no option", QStringList{t}, "", QStringList{t});
}

void TestPlatform::dataDirectory()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, dir);
    QFETCH(QStringList, left);
    QVERIFY(TestFiles::write(path(u"file"_qs), "x"));
    arguments.replaceInStrings(u"@"_qs, m_dir->path());
    left.replaceInStrings(u"@"_qs, m_dir->path());
    const Expected<AppPaths> paths = AppPaths::fromArguments(arguments);
    if (dir == u"-") {
        QVERIFY(!paths.ok() && paths.error().contains(u"--data-dir"_qs));
        return;
    }
    QVERIFY2(paths.ok(), qPrintable(paths.error()));
    const QString expected =
        dir.isEmpty() ? QDir::cleanPath(AppPaths::defaultDataDir()) : dir.replace(u'@', m_dir->path());
    QCOMPARE(paths->dataDir(), expected);
    QVERIFY(QFileInfo(expected).isDir());
    QCOMPARE(arguments, left);
}

void TestPlatform::programFolderAsDataDirectory_data()
{
    addColumns<QString, bool>({"programDir", "usedAsData"});
    addRow("writable folder of a portable copy", "@", true);
    addRow("installed under /usr, even for root", "/usr/bin", false);
    addRow("missing folder", "/nonexistent/tqtool", false);
    addRow("a file", "@/file", false);
    addRow("none", "", false);
}

void TestPlatform::programFolderAsDataDirectory()
{
    QFETCH(QString, programDir);
    QFETCH(bool, usedAsData);
    QVERIFY(TestFiles::write(path(u"file"_qs), "x"));
    programDir.replace(u'@', m_dir->path());
    const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCOMPARE(AppPaths::defaultDataDirFor(programDir), usedAsData ? programDir : perUser);
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
