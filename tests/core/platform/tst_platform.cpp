#include "core/platform/CheckedFileWriter.h"
#include "core/platform/IniFile.h"
#include "fixtures/FailDevice.h"
#include "fixtures/FileSizeLimit.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"

#include <QDir>
#include <QTemporaryDir>

#include <sys/stat.h>

// The settings and layout files, and the checked file writer on failing devices and a full file
// system.
class TestPlatform : public QObject
{
    Q_OBJECT

    QString path(const QString& name = u"DefFMT.txt"_qs) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void iniRead_data()
    {
        addColumns<QByteArray, QString>({"file", "value"}); // the value of IP in [text], default "dflt"
        addRow("plain", QByteArray("[a]\nIP=0\n[text]\nFormatName=Week\nIP=10.0.0.5\n"), "10.0.0.5");
        addRow("single quotes", QByteArray("[text]\nIP='x'\n"), "x");
        addRow("first key wins", QByteArray("[text]\nIP=1\nip=2\n"), "1");
        addRow("section and key case", QByteArray("[TEXT]\nip=x"), "x");
        addRow("missing file", QByteArray(), "dflt");
        addRow("blanks and tabs around", QByteArray("[text]\n  IP\t=\t x  \n"), "x");
        addRow("empty value is no default", QByteArray("[text]\nIP=\n"), "");
        addRow("quotes, 0 chars inside", QByteArray("[text]\nIP=\"\"\n"), "");
        addRow("quote alone", QByteArray("[text]\nIP=\"\n"), "\"");
        addRow("quotes, 1 char inside", QByteArray("[text]\nIP=\"a\"\n"), "a");
        addRow("quotes, 2 chars inside", QByteArray("[text]\nIP=\"ab\"\n"), "ab");
        addRow("only one pair", QByteArray("[text]\nIP=\"\"x\"\"\n"), "\"x\"");
        addRow("unmatched quotes", QByteArray("[text]\nIP=\"x'\n"), "\"x'");
        addRow("closing quote only", QByteArray("[text]\nIP=x\"\n"), "x\"");
        addRow("opening quote only", QByteArray("[text]\nIP='x\n"), "'x");
        addRow("first section wins", QByteArray("[text]\nIP=1\n[Text]\nIP=2\n"), "1");
        addRow("later duplicate section unseen", QByteArray("[text]\n[Text]\nIP=2\n"), "dflt");
        addRow("CR LF and CR lines", QByteArray("[text]\r\nA=1\rIP=cr\r"), "cr");
        addRow("section name with blanks", QByteArray("  [ text ]  \nIP=s\n"), "s");
    }
    void iniRead()
    {
        QFETCH(QByteArray, file);
        QVERIFY(file.isEmpty() || TestFiles::write(path(), file));
        QTEST(readIniValue(u"text"_qs, u"IP"_qs, u"dflt"_qs, path()), "value");
    }

    void iniWrite_data()
    {
        addColumns<QByteArray, QString, QString, QString, QByteArray>(
            {"before", "section", "key", "value", "after"});
        addRow("missing file", QByteArray(), "text", "IP", "1.2", QByteArray("[text]\r\nIP=1.2\r\n"));
        addRow("replaced in place", QByteArray("; n\n[text]\r\nIP = old\nP=5\n\n[x]\rk=v"), "TEXT", "ip",
               "new", QByteArray("; n\n[text]\r\nIP =new\nP=5\n\n[x]\rk=v"));
        addRow("new key after the section's last line", QByteArray("[text]\nIP=1\n\n[o]\n"), "text", "P", "5",
               QByteArray("[text]\nIP=1\nP=5\r\n\n[o]\n"));
        addRow("value written unchanged", QByteArray(), "text", "k", " \"a;b\" ",
               QByteArray("[text]\r\nk= \"a;b\" \r\n"));
        addRow("into the first duplicate section", QByteArray("[text]\n\n[Text]\nP=9\n"), "TEXT", "P", "5",
               QByteArray("[text]\nP=5\r\n\n[Text]\nP=9\n"));
        addRow("new section after a line without its end", QByteArray("[a]\nk=v"), "text", "IP", "1",
               QByteArray("[a]\nk=v\r\n[text]\r\nIP=1\r\n"));
        addRow("key opening a section", QByteArray("[text]\n"), "text", "[x", "1",
               QByteArray("[text]\n[x=1\r\n"));
    }
    void iniWrite()
    {
        const auto [before, section, key, value] =
            fetchColumns<QByteArray, QString, QString, QString>("before", "section", "key", "value");
        QVERIFY(before.isNull() || TestFiles::write(path(), before));
        QCOMPARE(writeIniValue(section, key, value, path()), 1);
        QTEST(TestFiles::read(path()), "after");
    }

    void readCuts_data()
    {
        addColumns<QString, bool, QString, int>({"value", "layout", "read", "fromDefault"});
        addRow("layout: 256 cut", QString(256, u'x'), true, QString(255, u'x'), 254);
        addRow("settings: NUL dropped", u"a\0b"_qs, false, "ab", 2);
        addRow("layout: cut at NUL", u"a\0b"_qs, true, "a", 2);
    }
    void readCuts()
    {
        const auto [value, layout] = fetchColumns<QString, bool>("value", "layout");
        QVERIFY(writeIniValue(u"text"_qs, u"k"_qs, value, path()));
        QTEST(layout ? readLayoutValue(u"text"_qs, u"k"_qs, path())
                     : readIniValue(u"text"_qs, u"k"_qs, {}, path()),
              "read");
        QTEST(int(readIniValue(u"text"_qs, u"none"_qs, value, path()).size()), "fromDefault");
        QCOMPARE(readLayoutValue(u"text"_qs, u"none"_qs, path()), QString());
        QCOMPARE(readIniValue(u"text"_qs, u"none"_qs, u"d \t"_qs, path()), u"d"_qs); // a default's blanks
    }

    void store_data()
    {
        addColumns<QString, QString, QString>({"key", "value", "refusal"}); // refusal "": stored
        addRow("after a key added before", "B", "2", "");
        addRow("254 characters", "k", QString(254, u'x'), "");
        addRow("255 characters", "k", QString(255, u'x'), "longer than the 254");
        addRow("enclosing quotes", "k", "\"x\"", "read back as \"x\"");
        addRow("line break", "k", "a\nb", "line break");
        addRow("outside the code page", "k", "漢", "not in code page 874");
        addRow("key opening a section", "[x", "1", "name cannot hold");
    }
    void store()
    {
        const auto [key, value, refusal] = fetchColumns<QString, QString, QString>("key", "value", "refusal");
        const QByteArray before("[text]\r\nA=1\r\n\r\n[next]\r\n");
        QVERIFY(TestFiles::write(path(), before));
        const Outcome stored = storeIniValue(u"text"_qs, key, value, path());
        QVERIFY2(stored.ok() == refusal.isEmpty() && stored.error().contains(refusal),
                 qPrintable(stored.error()));
        QVERIFY(stored.ok()
                    ? readIniValue(u"text"_qs, key, u"dflt"_qs, path()) == value
                    : stored.error().contains(u"was not changed"_qs) && TestFiles::read(path()) == before);
    }

    void shift_data()
    {
        addColumns<QString, QString>({"clear", "stored"}); // "-": refused
        addRow("example", "abc", "bdf");
        addRow("code 255 at position 4", u"abc\u0E5B"_qs, u"bdf\uF7FF"_qs);
        addRow("code 256 at position 5", u"abcd\u0E5B"_qs, "-");
        addRow("not in the code page", "pa漢", "-");
        addRow("one double quote", "!", "\"");
        addRow("double quotes at the ends", "! ", "-");
    }
    void shift()
    {
        const auto [clear, stored] = fetchColumns<QString, QString>("clear", "stored");
        const Expected<QString> shifted = shiftPassword(clear);
        QCOMPARE(shifted.ok() ? *shifted : shifted.error().left(29),
                 stored == u"-" ? u"The password cannot be stored"_qs : stored);
        QVERIFY(!shifted.ok() || writeIniValue(u"text"_qs, u"PASSSQL"_qs, *shifted, path()));
        QCOMPARE(unshiftPassword(readIniValue(u"text"_qs, u"PASSSQL"_qs, {}, path())),
                 shifted.ok() ? clear : QString());
    }

    void writerOnFailingDevice()
    {
        FailDevice device(0);
        QVERIFY(device.open(QIODevice::WriteOnly));
        CheckedFileWriter writer(device, u"export.txt"_qs);
        QVERIFY(writer.open().ok());
        QCOMPARE(QList<bool>({writer.write("x"), writer.write("x")}), QList<bool>({false, false}));
        QCOMPARE(writer.commit().error(), u"Cannot write export.txt: No space left on device"_qs);
        QVERIFY(writer.failed() && device.written().isEmpty());
    }

    void fullFileSystemKeepsTheOldFile_data()
    {
        addColumns<QString, int>({"writer", "bytes"});
        for (const int bytes : {5000, 100000}) {
            for (const char* writer : {"atomic", "settings", "store", "overwrite"})
                QTest::addRow("%s, %d bytes", writer, bytes) << QString::fromLatin1(writer) << bytes;
        }
    }
    void fullFileSystemKeepsTheOldFile()
    {
        const auto [writer, bytes] = fetchColumns<QString, int>("writer", "bytes");
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
                error = writeIniValue(u"text"_qs, u"k"_qs, u"new"_qs, path()) == 0 ? u"Cannot write "_qs
                                                                                   : QString();
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
        QVERIFY(writer == u"overwrite" || TestFiles::read(path()) == old);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{u"DefFMT.txt"_qs});
    }

    void unwritablePaths()
    {
        const QString gone = path(u"gone/TQ90_log.bin"_qs);
        QVERIFY2(
            writeFileAtomically(gone, "log").error().startsWith(u"Cannot write "_qs + gone + u": No such"_qs),
            qPrintable(writeFileAtomically(gone, "log").error()));
        QVERIFY(QDir().mkdir(path(u"folder"_qs)) &&
                ::mkfifo(QFile::encodeName(path(u"fifo"_qs)).constData(), 0600) == 0);
        const QString pipe = u"a named pipe, a device or a socket"_qs;
        QCOMPARE(
            QStringList({notRegularFileReason(path(u"none"_qs)), notRegularFileReason(path(u"folder"_qs)),
                         notRegularFileReason(path(u"fifo"_qs))}),
            QStringList({QString(), u"a folder"_qs, pipe}));
        // a pipe is never opened: that would wait for a writer
        QCOMPARE(readIniValue(u"text"_qs, u"k"_qs, u"d"_qs, path(u"fifo"_qs)), u"d"_qs);
        QVERIFY(storeIniValue(u"t"_qs, u"k"_qs, u"v"_qs, path(u"fifo"_qs))
                    .error()
                    .endsWith(u"it is "_qs + pipe + u", not a file"_qs));
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
