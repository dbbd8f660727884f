#include "core/platform/Cp874.h"
#include "core/platform/IniFile.h"
#include "fixtures/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestIniFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(path());
    }

    void read_data();
    void read();
    void write_data();
    void write();
    void readCutsAt254();
    void layoutReadCutsAt255();
    void missingFileGivesDefaultAndWriteCreatesIt();
    void writeToMissingFolderFailsAndChangesNothing();
    void thaiValuesAreCodePage874();
    void shift_data();
    void shift();
    void shiftRefuses_data();
    void shiftRefuses();

private:
    QString path() const { return m_dir.filePath(QStringLiteral("DefFMT.txt")); }
    QTemporaryDir m_dir;
};

void TestIniFile::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QByteArray basic = "[text]\r\nFormatName=Week\r\nIP=10.0.0.5\r\n";
    QTest::newRow("plain") << basic << "text"
                           << "IP"
                           << "10.0.0.5";
    QTest::newRow("section case") << basic << "TEXT"
                                  << "IP"
                                  << "10.0.0.5";
    QTest::newRow("key case") << basic << "text"
                              << "formatname"
                              << "Week";
    QTest::newRow("missing key") << basic << "text"
                                 << "Port"
                                 << "dflt";
    QTest::newRow("missing section") << basic << "other"
                                     << "IP"
                                     << "dflt";
    QTest::newRow("blanks around value") << QByteArray("[text]\r\nIP =   10.0.0.5  \r\n") << "text"
                                         << "IP"
                                         << "10.0.0.5";
    QTest::newRow("tab and blanks") << QByteArray("[text]\r\n  IP\t=\t x \r\n") << "text"
                                    << "ip"
                                    << "x";
    QTest::newRow("double quotes") << QByteArray("[text]\r\nIP=\" a b \"\r\n") << "text"
                                   << "IP"
                                   << "a b";
    QTest::newRow("single quotes") << QByteArray("[text]\r\nIP='x'\r\n") << "text"
                                   << "IP"
                                   << "x";
    QTest::newRow("only one pair") << QByteArray("[text]\r\nIP=\"\"x\"\"\r\n") << "text"
                                   << "IP"
                                   << "\"x\"";
    QTest::newRow("unmatched quotes") << QByteArray("[text]\r\nIP=\"x'\r\n") << "text"
                                      << "IP"
                                      << "\"x'";
    QTest::newRow("first section wins")
        << QByteArray("[text]\r\nIP=1\r\n[other]\r\n[Text]\r\nIP=2\r\nPort=9\r\n") << "text"
        << "IP"
        << "1";
    QTest::newRow("key of later duplicate section unseen")
        << QByteArray("[text]\r\nIP=1\r\n[Text]\r\nPort=9\r\n") << "text"
        << "Port"
        << "dflt";
    QTest::newRow("first key wins") << QByteArray("[text]\r\nIP=1\r\nip=2\r\n") << "text"
                                    << "IP"
                                    << "1";
    QTest::newRow("value after first equals") << QByteArray("[text]\r\nk=a=b\r\n") << "text"
                                              << "k"
                                              << "a=b";
    QTest::newRow("empty value is not the default") << QByteArray("[text]\r\nIP=\r\n") << "text"
                                                    << "IP"
                                                    << "";
    QTest::newRow("LF only") << QByteArray("[text]\nIP=lf\n") << "text"
                             << "IP"
                             << "lf";
    QTest::newRow("no final line end") << QByteArray("[text]\r\nIP=end") << "text"
                                       << "IP"
                                       << "end";
    QTest::newRow("key in other section") << QByteArray("[a]\r\nIP=1\r\n[text]\r\n") << "text"
                                          << "IP"
                                          << "dflt";
    QTest::newRow("section name with blanks") << QByteArray("  [ text ]  \r\nIP=s\r\n") << "text"
                                              << "IP"
                                              << "s";
    QTest::newRow("backslash section")
        << QByteArray("[ZUNData\\ROW\\2]\r\nTextMatrix=Date\r\n") << "zundata\\row\\2"
        << "TextMatrix"
        << "Date";
}

void TestIniFile::read()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QVERIFY(TestFiles::write(path(), file));
    QCOMPARE(readIniValue(section, key, QStringLiteral("dflt"), path()), expected);
}

void TestIniFile::write_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("missing file") << QByteArray() << "text"
                                  << "IP"
                                  << "1.2.3.4" << QByteArray("[text]\r\nIP=1.2.3.4\r\n");
    QTest::newRow("replace in place keeps the rest")
        << QByteArray("; note\r\n[text]\r\nIP = old\r\nPort=5001\r\n\r\n[x]\nk=v\n") << "TEXT"
        << "ip"
        << "new" << QByteArray("; note\r\n[text]\r\nIP =new\r\nPort=5001\r\n\r\n[x]\nk=v\n");
    QTest::newRow("new key at end of its section")
        << QByteArray("[text]\r\nIP=1\r\n\r\n[other]\r\nk=v\r\n") << "text"
        << "Port"
        << "5001" << QByteArray("[text]\r\nIP=1\r\nPort=5001\r\n\r\n[other]\r\nk=v\r\n");
    QTest::newRow("new section at end of file")
        << QByteArray("[text]\r\nIP=1\r\n") << "ZUNData\\ROW\\1"
        << "TextMatrix"
        << "UID" << QByteArray("[text]\r\nIP=1\r\n[ZUNData\\ROW\\1]\r\nTextMatrix=UID\r\n");
    QTest::newRow("unterminated last line") << QByteArray("[text]\r\nIP=1") << "text"
                                            << "Port"
                                            << "2" << QByteArray("[text]\r\nIP=1\r\nPort=2\r\n");
    QTest::newRow("value written unchanged") << QByteArray() << "text"
                                             << "k"
                                             << "  \"a;b\"  " << QByteArray("[text]\r\nk=  \"a;b\"  \r\n");
    QTest::newRow("new key into the first of duplicate sections")
        << QByteArray("[text]\r\nIP=1\r\n\r\n[Text]\r\nPort=9\r\n") << "TEXT"
        << "Port"
        << "5" << QByteArray("[text]\r\nIP=1\r\nPort=5\r\n\r\n[Text]\r\nPort=9\r\n");
    QTest::newRow("first of duplicate keys replaced") << QByteArray("[text]\r\nk=1\r\nK=2\r\n") << "text"
                                                      << "k"
                                                      << "3" << QByteArray("[text]\r\nk=3\r\nK=2\r\n");
    QTest::newRow("line break in key stays one line") << QByteArray() << "text"
                                                      << "a\r\nb"
                                                      << "v" << QByteArray("[text]\r\na  b=v\r\n");
    QTest::newRow("line break in value stays one line") << QByteArray() << "text"
                                                        << "k"
                                                        << "a\r\nb" << QByteArray("[text]\r\nk=a  b\r\n");
}

void TestIniFile::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    if (!before.isNull())
        QVERIFY(TestFiles::write(path(), before));
    QCOMPARE(writeIniValue(section, key, value, path()), 1);
    QCOMPARE(TestFiles::read(path()), after);
}

void TestIniFile::readCutsAt254()
{
    const QString longValue(300, u'x');
    QVERIFY(writeIniValue(QStringLiteral("text"), QStringLiteral("k"), longValue, path()));
    QCOMPARE(readIniValue(QStringLiteral("text"), QStringLiteral("k"), QString(), path()),
             QString(254, u'x'));
    // the cut also applies to the default
    QCOMPARE(readIniValue(QStringLiteral("text"), QStringLiteral("none"), longValue, path()).size(), 254);
}

void TestIniFile::layoutReadCutsAt255()
{
    QVERIFY(writeLayoutValue(QStringLiteral("ZUNDataView"), QStringLiteral("Delimiter"), QString(300, u'y'),
                             path()));
    QCOMPARE(readLayoutValue(QStringLiteral("ZUNDataView"), QStringLiteral("Delimiter"), path()),
             QString(255, u'y'));
    QCOMPARE(readLayoutValue(QStringLiteral("ZUNDataView"), QStringLiteral("Rows"), path()), QString());
}

void TestIniFile::missingFileGivesDefaultAndWriteCreatesIt()
{
    QVERIFY(!QFile::exists(path()));
    QCOMPARE(readIniValue(QStringLiteral("text"), QStringLiteral("Port"), QStringLiteral("5001"), path()),
             QStringLiteral("5001"));
    QCOMPARE(readIniValue(QStringLiteral("text"), QStringLiteral("IP"), QString(), path()), QString());
    // an IP typed with a trailing blank is stored as typed and reads back trimmed
    QCOMPARE(writeIniValue(QStringLiteral("text"), QStringLiteral("IP"), QStringLiteral("10.1.1.1 "), path()),
             1);
    QCOMPARE(TestFiles::read(path()), QByteArray("[text]\r\nIP=10.1.1.1 \r\n"));
    QCOMPARE(readIniValue(QStringLiteral("text"), QStringLiteral("IP"), QString(), path()),
             QStringLiteral("10.1.1.1"));
}

void TestIniFile::writeToMissingFolderFailsAndChangesNothing()
{
    const QString bad = m_dir.filePath(QStringLiteral("no/such/DefFMT.txt"));
    QCOMPARE(writeIniValue(QStringLiteral("text"), QStringLiteral("IP"), QStringLiteral("x"), bad), 0);
    QVERIFY(!QFile::exists(bad));
}

void TestIniFile::thaiValuesAreCodePage874()
{
    const QString thai = QStringLiteral("ชื่อรูปแบบ");
    QVERIFY(writeIniValue(QStringLiteral("ZUNDataView"), QStringLiteral("ViewName"), thai, path()));
    const QByteArray bytes = TestFiles::read(path());
    QVERIFY(bytes.contains(QByteArray("ViewName=\xAA\xD7\xE8\xCD\xC3\xD9\xBB\xE1\xBA\xBA\r\n")));
    QCOMPARE(readLayoutValue(QStringLiteral("zundataview"), QStringLiteral("viewname"), path()), thai);
    // every byte survives a decode and an encode
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<char>(i);
    bool ok = false;
    QCOMPARE(Cp874::encode(Cp874::decode(all), &ok), all);
    QVERIFY(ok);
    Cp874::encode(QStringLiteral("漢"), &ok);
    QVERIFY(!ok);
}

void TestIniFile::shift_data()
{
    QTest::addColumn<QString>("clear");
    QTest::addColumn<QString>("stored");
    QTest::newRow("example") << "abc"
                             << "bdf";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("digits") << "123"
                            << "246";
    QTest::newRow("lands on Thai") << QString(QChar(0xA0)) << QString(QChar(0x0E01)); // 0xA0 + 1 = 0xA1
}

void TestIniFile::shift()
{
    QFETCH(QString, clear);
    QFETCH(QString, stored);
    const Expected<QString> shifted = shiftPassword(clear);
    QVERIFY2(shifted.ok(), qPrintable(shifted.error()));
    QCOMPARE(*shifted, stored);
    QCOMPARE(unshiftPassword(stored), clear);
    // and through the settings file
    QVERIFY(writeIniValue(QStringLiteral("text"), QStringLiteral("PASSSQL"), *shifted, path()));
    QCOMPARE(
        unshiftPassword(readIniValue(QStringLiteral("text"), QStringLiteral("PASSSQL"), QString(), path())),
        clear);
}

void TestIniFile::shiftRefuses_data()
{
    QTest::addColumn<QString>("clear");
    QTest::newRow("past 255") << QString(QChar(0x0E5B)); // code 0xFB + 1 is fine, but at position 5 it is not
    QTest::newRow("not in code page") << QStringLiteral("pa漢");
    QTest::newRow("would read back unquoted") << QStringLiteral("&%");
}

void TestIniFile::shiftRefuses()
{
    QFETCH(QString, clear);
    QString password = clear;
    if (QTest::currentDataTag() == QByteArray("past 255"))
        password = QStringLiteral("abcd") + clear;
    const Expected<QString> shifted = shiftPassword(password);
    QVERIFY(!shifted.ok());
    QVERIFY(shifted.error().contains(QStringLiteral("cannot be stored")));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
