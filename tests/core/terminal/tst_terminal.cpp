#include "core/storage/Connections.h"
#include "core/terminal/LogConversion.h"
#include "core/terminal/LogRecord.h"
#include "core/terminal/TerminalsFile.h"
#include "core/terminal/Tq90Protocol.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"

#include <QTemporaryDir>

using namespace Tq90Protocol;
using State = FrameParser::State;

namespace {
QSqlDatabase db()
{
    return Connections::get(Connections::LocalConnection);
}

QStringList rows()
{
    auto q = executeStatement(db(), u"select HID||'|'||FID||'|'||GID||'|'||wDate||'|'||wTime||'|'||Status r "
                                    "from tblexport order by r"_qs);
    QStringList out;
    while (q.ok() && q->next())
        out << q->value(0).toString();
    return out;
}

QByteArray records(int first, int count = 1, int second = 0)
{
    QByteArray log;
    for (int i = 0; i < count; ++i)
        log += LogRecord{std::uint64_t(first + i), 1, 0, 2024, 3, 4, 8, 0, std::uint8_t(second), 0}.encode();
    return log;
}

} // namespace

// The terminal's wire format, the terminals file and the conversion of a downloaded log into the
// local database.
class TestTerminal : public QObject
{
    Q_OBJECT

    bool writeLog(const QByteArray& bytes) { return TestFiles::write(m_paths->logFile(), bytes); }
    Expected<ConversionResult> convert(std::optional<qint64> logBytes = std::nullopt)
    {
        return convertLogToDatabase(m_paths->logFile(), db(), {}, logBytes);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppPaths> m_paths;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_paths = std::make_unique<AppPaths>(m_dir->path());
        QVERIFY(openLocalDatabase(*m_paths).ok());
    }
    void cleanup() { Connections::close(Connections::LocalConnection); }

    void frames()
    {
        QCOMPARE(crc32(QByteArrayLiteral("123456789")), 0xCBF43926U);
        QByteArray frame = QByteArray::fromHex("5451 08000000 10 f9ffffff 616263");
        appendU32(frame, crc32(frame.mid(HeaderBytes)));
        QCOMPARE(encodeReply(Command::GetLogSize, -7, "abc"), frame);
        FrameParser parser;
        parser.append(frame.left(HeaderBytes));
        QCOMPARE(parser.pending(), 12);
        parser.append(frame.mid(HeaderBytes, 1));
        QCOMPARE(QList<qint64>({qint64(parser.next()), parser.pending()}), QList<qint64>({0, 11}));
        parser.append(frame.mid(HeaderBytes + 1) + encodeRequest(Command::Hello));
        QCOMPARE(QList<State>({parser.next(), parser.next(), parser.next()}),
                 QList<State>({State::Frame, State::Frame, State::NeedMore}));
        QCOMPARE(parser.payload(), QByteArray(1, char(Command::Hello)));
        QCOMPARE(commandName(Command(0x0f)) + commandName(Command::Hello), u"0x0fInitialize"_qs);
    }

    void parser_data()
    {
        addColumns<QByteArray, qint64, State>({"bytes", "max", "state"});
        const auto header = [](std::uint32_t length) {
            QByteArray h("TQ");
            appendU32(h, length);
            return h;
        };
        QByteArray damaged = encodeRequest(Command::OpenDoor, "xyz");
        damaged[HeaderBytes + 1] = 'Q';
        addRow("length 1", header(1), qint64(10), State::NeedMore);
        addRow("length 0", header(0), qint64(10), State::Broken);
        addRow("length at the largest", header(10), qint64(10), State::NeedMore);
        addRow("length past the largest", header(11), qint64(10), State::Broken);
        addRow("second magic byte wrong", QByteArray("TX\1\0\0\0", 6), qint64(10), State::Broken);
        addRow("damaged checksum", damaged, MaxPayloadBytes, State::BadCrc);
    }
    void parser()
    {
        const auto [bytes, max, state] = fetchColumns<QByteArray, qint64, State>("bytes", "max", "state");
        FrameParser parser(max);
        parser.append(bytes);
        QCOMPARE(parser.next(), state);
        QCOMPARE(parser.brokenReason().isEmpty(), state != State::Broken);
        QCOMPARE(parser.buffered(), state == State::BadCrc ? 0 : bytes.size());
    }

    void terminalsFile_data()
    {
        addColumns<QByteArray, QString>({"file", "read"}); // "name|ip|port|erase;..." or the failure
        addRow("two doors", QByteArray("[Front door]\nIP = 10.0.0.5 \nPort=65535\nErase=YES\n[Back]\nip=h\n"),
               "Front door|10.0.0.5|65535|1;Back|h|5001|0");
        addRow("port 0", QByteArray("[A]\nIP=h\nPort=0\n"), "[A]: Port is 0;");
        addRow("port 65536", QByteArray("[A]\nIP=h\nPort=65536\n"), "[A]: Port is 65536;");
        addRow("port not a number", QByteArray("[A]\nIP=h\nPort=x\n"), "[A]: Port is x;");
        addRow("no name", QByteArray("[]\nIP=h\n"), "[]: a terminal needs a name");
        addRow("no IP", QByteArray("[A]\nIP= \n"), "[A]: IP is missing");
        addRow("erase neither yes nor no", QByteArray("[A]\nIP=h\nErase=true\n"), "[A]: Erase is true");
        addRow("same name twice", QByteArray("[A]\nIP=h\n[a]\nIP=g\n"), "[a]: the name is used twice");
        addRow("missing file", QByteArray(), "does not exist");
        addRow("folder", QByteArray("/"), "is not a regular file");
        addRow("larger than 1 MiB", QByteArray(1024 * 1024 + 1, ';'), "holds 1048577 bytes");
        addRow("1 MiB", "[A]\nIP=h\n" + QByteArray(1024 * 1024 - 9, ';'), "A|h|5001|0");
    }
    void terminalsFile()
    {
        const auto [file, read] = fetchColumns<QByteArray, QString>("file", "read");
        const QString path = m_dir->filePath(u"terminals.ini"_qs);
        QVERIFY(file == "/" ? QDir().mkdir(path) : file.isEmpty() || TestFiles::write(path, file));
        const auto terminals = readTerminalsFile(path);
        QStringList got;
        for (const TerminalEntry& t : terminals.ok() ? *terminals : QList<TerminalEntry>())
            got << u"%1|%2|%3|%4"_qs.arg(t.name, t.ip).arg(t.port).arg(int(t.erase));
        QVERIFY2(terminals.ok() ? got.join(u';') == read
                                : terminals.error().contains(read) && terminals.error().contains(path),
                 qPrintable(terminals.ok() ? got.join(u';') : terminals.error()));
    }

    void decodesRecord()
    {
        const QList<std::pair<const char*, QString>> examples = {
            {"15CD5B070000 01 02 DA07 05 07 08 03 09 00", u"123456789|1|2|2010/05/07|08:03:09|0"_qs},
            {"FFFFFFFFFFFF FF FF FFFF 0C 1F 17 3B 3B FF",
             u"281474976710655|255|255|65535/12/31|23:59:59|255"_qs},
            {"010000000000 00 00 0100 0A 0A 0A 0A 0A 00", u"1|0|0|1/10/10|10:10:10|0"_qs},
            {"000000000000 00 00 0000 7B 00 64 C8 FF 02", u"0|0|0|0/123/00|100:200:255|2"_qs}};
        QByteArray log;
        QStringList stored;
        for (const auto& [hex, row] : examples) {
            const LogRecord r = LogRecord::decode(QByteArray::fromHex(hex).constData());
            QCOMPARE(r.encode(), QByteArray::fromHex(hex));
            log += r.encode();
            stored << row;
        }
        QVERIFY(writeLog(log + '\0'));
        QCOMPARE(convert()->added, 4);
        stored.sort();
        QCOMPARE(rows(), stored);
    }

    void wholeRecords_data()
    {
        // logBytes -1: not given; read -1: refused
        addColumns<int, QByteArray, int, int, int>({"records", "tail", "logBytes", "read", "partial"});
        addRow("empty file", 0, QByteArray(), -1, 0, 0);
        addRow("16k+1", 5, QByteArray(1, '\0'), -1, 5, 0);
        addRow("16k: every record read", 5, QByteArray(), -1, 5, 0);
        addRow("16k+2: a byte of a record", 5, QByteArray(2, '\x11'), -1, 5, 1);
        addRow("16k+16: a record, no extra byte", 5, QByteArray(16, '\x11'), -1, 6, 0);
        addRow("downloaded size and extra byte", 5, QByteArray(1, '\0'), 80, 5, 0);
        addRow("downloaded with a partial record", 5, QByteArray(4, '\0'), 83, 5, 3);
        addRow("extra byte missing", 5, QByteArray(), 80, -1, 0);
        addRow("a byte too many", 5, QByteArray(2, '\0'), 80, -1, 0);
    }
    void wholeRecords()
    {
        const auto [records, tail, logBytes, read, partial] =
            fetchColumns<int, QByteArray, int, int, int>("records", "tail", "logBytes", "read", "partial");
        QVERIFY(writeLog(::records(100, records) + tail));
        const auto result = convert(logBytes < 0 ? std::nullopt : std::optional<qint64>(logBytes));
        QCOMPARE(rows().size(), qMax(read, 0));
        if (read < 0) {
            QVERIFY2(result.error().contains(u"not written completely"_qs), qPrintable(result.error()));
            return;
        }
        QCOMPARE(result->read, read);
        QCOMPARE(result->added, read);
        QCOMPARE(result->partialBytes, partial);
        QCOMPARE(partialRecordText(*result).section(u' ', 4, 5),
                 partial ? u"%1 byte%2"_qs.arg(partial).arg(partial == 1 ? u""_qs : u"s"_qs) : QString());
    }

    void sizeAndOpenDatabase()
    {
        // sparse files: they claim the size and take no space
        QVERIFY(writeLog({}) && QFile::resize(m_paths->logFile(), MaxLogBytes + 2));
        const auto refused = convert();
        QVERIFY2(refused.error().contains(
                     u"holds 67108866 bytes, more than a terminal's log can hold (67108864"_qs),
                 qPrintable(refused.error()));
        QVERIFY(QFile::resize(m_paths->logFile(), MaxLogBytes + 1));
        QCOMPARE(convert()->read, MaxLogBytes / 16);
        QCOMPARE(rows().size(), 1);
        QVERIFY(QFile::remove(m_paths->logFile()));
        QVERIFY(convert().error().contains(u"TQ90_log.bin does not exist. Download"_qs));
    }

    void repeats_data()
    {
        // before: a log converted first; copies: of punch 7, as an earlier program stored them
        addColumns<QByteArray, int, QByteArray, int, int>({"before", "copies", "log", "added", "rows"});
        const QByteArray half = generateLog(40000, 17);
        QSet<QByteArray> distinct;
        for (qsizetype i = 0; i < half.size(); i += 16)
            distinct.insert(half.mid(i, 16));
        const int n = int(distinct.size());
        addRow("repeats inside the log", QByteArray(), 0,
               records(7) + records(8) + records(7) + records(7, 1, 1), 3, 3);
        addRow("a long log twice over", QByteArray(), 0, half + half, n, n);
        addRow("converted again", records(100, 60), 0, records(100, 60), 0, 60);
        addRow("a longer log of the terminal", records(100, 60), 0, records(100, 80), 20, 80);
        addRow("earlier copies kept once", QByteArray(), 2, records(7), 0, 1);
        addRow("a single earlier copy", QByteArray(), 1, records(7, 2), 1, 2);
    }
    void repeats()
    {
        const auto [before, copies, log] =
            fetchColumns<QByteArray, int, QByteArray>("before", "copies", "log");
        QVERIFY(before.isEmpty() || (writeLog(before) && convert().ok()));
        const QString copy = u"('7','1','0','2024/03/04','08:00:00','0')"_qs;
        QVERIFY(!copies || executeStatement(db(), u"Insert into tblexport values "_qs +
                                                      QStringList(copies, copy).join(u','))
                               .ok());
        QVERIFY(writeLog(log + '\0'));
        const auto result = convert();
        QCOMPARE(result->read, log.size() / 16);
        QTEST(int(result->added), "added");
        QTEST(int(rows().size()), "rows");
        QCOMPARE(rows().removeDuplicates(), 0);
    }

    void failureLeavesTableAsItWas()
    {
        // punches already there are looked up, the new ones inserted several to a statement
        const int punches = 120;
        QVERIFY(writeLog(records(1, 2)) && convert().ok());
        const QStringList before = rows();
        // the database refuses the 30th punch, as a full disk would
        QVERIFY(executeStatement(db(),
                                 u"CREATE TRIGGER refuse BEFORE INSERT ON tblexport WHEN NEW.HID = '129' "
                                 "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"_qs)
                    .ok());
        QVERIFY(writeLog(records(100, punches)));
        const auto result = convert();
        QVERIFY2(result.error().contains(
                     u"punch 30 of %1: database or disk is full The local database was left as it was"_qs.arg(
                         punches)),
                 qPrintable(result.error()));
        QCOMPARE(rows(), before);
        QVERIFY(executeStatement(db(), u"DROP TRIGGER refuse"_qs).ok());
        QCOMPARE(convert()->added, punches);
    }

    void verifiesStoredLog_data()
    {
        addColumns<QByteArray, QString, QString>({"fileAfter", "removeHids", "failure"});
        const QByteArray log = records(9) + records(7) + records(8);
        addRow("all stored", log + '\0', "", "");
        addRow("file lost its end", log.left(20), "", "holds 20 bytes");
        addRow("file changed", records(9) + records(7) + records(10) + '\0', "", "differs");
        addRow("last punch missing", log + '\0', "8", "Punch 3 of 3");
        addRow("first missing in the log's order", log + '\0', "7,9",
               "Punch 1 of 3 of the log (user 9 at 2024/03/04 08:00:00)");
    }
    void verifiesStoredLog()
    {
        const auto [fileAfter, removeHids, failure] =
            fetchColumns<QByteArray, QString, QString>("fileAfter", "removeHids", "failure");
        const QByteArray log = records(9) + records(7) + records(8);
        QVERIFY(writeLog(log + '\0') && convert(log.size()).ok());
        QVERIFY(writeLog(fileAfter));
        QVERIFY(executeStatement(db(), u"delete from tblexport where HID in (%1)"_qs.arg(
                                           removeHids.isEmpty() ? u"0"_qs : removeHids))
                    .ok());
        const Outcome verified = verifyStoredLog(m_paths->logFile(), db(), log);
        QVERIFY2(verified.ok() == failure.isEmpty() && verified.error().contains(failure),
                 qPrintable(verified.error()));
    }

    void progress()
    {
        QCOMPARE(QStringList({conversionProgressText(7, 7), conversionProgressText(1, 3),
                              conversionProgressText(1, 200), conversionProgressText(0, 0)}),
                 QStringList({u" 100 %"_qs, u" 33.3333333333333 %"_qs, u" .5 %"_qs, u" 100 %"_qs}));
        QCOMPARE(conversionSummary({1, 0, 0}) + conversionSummary({2, 1, 0}),
                 u"Read 1 punch, 0 new.Read 2 punches, 1 new."_qs);
        // a call for each whole percentage and one after the last punch
        QVERIFY(writeLog(generateLog(1234, 5) + '\0'));
        QList<qint64> calls;
        QVERIFY(convertLogToDatabase(m_paths->logFile(), db(), [&](qint64 d, qint64) { calls << d; }).ok());
        QCOMPARE(QList<qint64>({calls.size(), calls.first(), calls.last()}), QList<qint64>({101, 0, 1234}));
        calls.clear();
        QVERIFY(verifyStoredLog(m_paths->logFile(), db(), generateLog(1234, 5),
                                [&](qint64 d, qint64) { calls << d; }));
        QCOMPARE(QList<qint64>({calls.size(), calls.first(), calls.last()}), QList<qint64>({101, 1, 1234}));
    }
};

QTEST_GUILESS_MAIN(TestTerminal)
#include "tst_terminal.moc"
