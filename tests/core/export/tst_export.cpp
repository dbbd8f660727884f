#include "core/export/ExportChoices.h"
#include "core/export/ExportFilter.h"
#include "core/export/TextExport.h"
#include "core/storage/Connections.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

using Export = ExportChoices::Export;
using Control = ExportChoices::Control;
// Exports: T text, A time attendance, Q and R access control to text and to time attendance.
// Controls: E employee IDs, D data type, R date range, F terminal IDs, L layout list, N New and Edit.
const std::pair<char, Export> Exports[] = {{'T', Export::Text},
                                           {'A', Export::TimeAttendance},
                                           {'Q', Export::AccessControlText},
                                           {'R', Export::AccessControlTimeAttendance}};
const std::pair<char, Control> Controls[] = {{'E', Control::EmployeeIds}, {'D', Control::DataType},
                                             {'R', Control::DateRange},   {'F', Control::TerminalIds},
                                             {'L', Control::LayoutList},  {'N', Control::LayoutEditing}};

// The punches every export starts from, by letter: person|terminal|date|time|code, and the code
// pairing gives them. Sorted by person, date and time they stand g e f d a b c.
const QList<std::tuple<char, QString, char>> Punches = {
    {'a', u"7|1|2024/01/09|08:00:00|0"_qs, '1'}, {'b', u"7|3|2024/01/09|12:00:00|0"_qs, '2'},
    {'c', u"7|2|2024/01/09|13:00:00|0"_qs, '1'}, {'d', u"7|1|2023/12/31|08:00:00|0"_qs, '1'},
    {'e', u"2|1|2024/01/09|09:00:00|0"_qs, '1'}, {'f', u"2|3|2024/01/15|17:00:00|2"_qs, '2'},
    {'g', u"15|3|2024/01/09|10:00:00|0"_qs, '1'}};

QString lineOf(const PunchRecord& p)
{
    return QStringList{p.hid, p.fid, p.wDate, p.wTime, p.status}.join(u',');
}

QByteArray expectedFile(const QString& letters, bool filtered)
{
    QByteArray bytes;
    for (const QChar letter : letters)
        for (const auto& [key, text, paired] : Punches)
            if (QLatin1Char(key) == letter)
                bytes += (filtered ? text.chopped(1) + QChar::fromLatin1(paired) : text)
                             .toLatin1()
                             .replace('|', ',') +
                         "\r\n";
    return bytes;
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void modes_data()
    {
        // prepared: the openers' preparations in order; options: E employees, R dates, F terminals
        addColumns<QString, bool, QString, QString, QString, bool, QString, QString>(
            {"prepared", "editor", "options", "enabled", "commands", "taMode", "title", "heading"});
        addRow("start-up", "", true, "", "DLN", "", false, "Export Text", "Export Text");
        addRow("no format editor", "T", false, "", "DL", "T", false, "Export to text", "Export to text");
        addRow("second choices", "T", true, "ERF", "EDRFLN", "T", false, "Export to text", "Export to text");
        addRow("time attendance", "A", true, "", "", "A", true, "Export to TA", "Export to TA");
        addRow("text after TA", "AT", true, "", "DLN", "T", false, "Export to text", "Export to text");
        addRow("TA after text", "TA", true, "EF", "EF", "A", true, "Export to TA", "Export to TA");
        addRow("server, controls kept", "AQ", true, "", "", "AQ", false, "Export QOR to text file",
               "Export to TA");
        addRow("server after text", "TQ", true, "", "DLN", "TQ", false, "Export QOR to text file",
               "Export to text");
        addRow("server to TA", "QR", true, "", "", "QR", true, "Export QOR to TA", "Export Text");
    }
    void modes()
    {
        const auto [prepared, editor, options, commands] =
            fetchColumns<QString, bool, QString, QString>("prepared", "editor", "options", "commands");
        ExportChoices choices;
        choices.setFormatEditorAvailable(editor);
        for (const QChar step : prepared)
            for (const auto& [letter, kind] : Exports)
                if (step == QLatin1Char(letter))
                    choices.prepare(kind);
        choices.setChosenEmployees(options.contains(u'E'));
        choices.setDateRange(options.contains(u'R'));
        choices.setChosenTerminals(options.contains(u'F'));
        QString enabled, shown;
        for (const auto& [letter, control] : Controls)
            if (choices.isEnabled(control))
                enabled += QLatin1Char(letter);
        for (const auto& [letter, kind] : Exports)
            if (choices.isCommandVisible(kind))
                shown += QLatin1Char(letter);
        QTEST(enabled, "enabled");
        QCOMPARE(shown, commands);
        QTEST(choices.isTimeAttendanceMode(), "taMode");
        QCOMPARE(choices.isAccessControlMode(), commands.contains(u'Q') || commands.contains(u'R'));
        QTEST(choices.windowTitle(), "title");
        QTEST(choices.heading(), "heading");
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_progress = RunProgress();
        QVERIFY(openLocalDatabase(paths()).ok());
        PreparedStatement insert(
            db(), u"insert into tblexport(HID,FID,GID,wDate,wTime,Status) values(?,?,'0',?,?,?)"_qs);
        for (const auto& [key, text, paired] : Punches) {
            const QStringList f = text.split(u'|');
            QVERIFY(insert.exec({f[0], f[1], f[2], f[3], f[4]}));
        }
    }
    void cleanup() { Connections::close(Connections::LocalConnection); }
    void exported_data()
    {
        // choices: E employees, D filtered data, R 2024/01, F terminals "1, 3"; letters: the punches written
        addColumns<QString, QString, QString>({"choices", "employees", "letters"});
        addRow("all, raw", "", "", "gefdabc");
        addRow("all", "D", "", "gefdabc");
        addRow("terminals", "DF", "", "gefdab");
        addRow("range", "DR", "", "gefabc");
        addRow("range, terminals", "DRF", "", "gefab");
        addRow("employees", "DE", "7, 2", "dabcef");
        addRow("employees, terminals, raw", "EF", "7, 2", "dabef");
        addRow("employees, range", "DER", "7, 2", "abcef");
        addRow("everything", "DERF", "7, 2", "abef");
        addRow("box order", "ED", "2,7", "efdabc");
        addRow("typed with blanks", "ED", "  15 ,  2 , 7", "gefdabc");
        addRow("repeated ID", "ED", "2,7,2", "efdabc");
        addRow("unknown ID among them", "ED", "99,7", "dabc");
    }
    void exported()
    {
        const auto [choices, employees, letters] =
            fetchColumns<QString, QString, QString>("choices", "employees", "letters");
        QVERIFY(TestFiles::write(paths().stagingFile(), "left over\r\n"));
        const Expected<ExportReport> report =
            TextExport(paths(), m_progress).exportLocal({filter(choices, employees), output()}, lineOf);
        QVERIFY2(report.ok(), qPrintable(report.error()));
        QCOMPARE(report->status, ExportReport::Status::Exported);
        QCOMPARE(report->written, letters.size());
        QCOMPARE(TestFiles::read(output()), expectedFile(letters, choices.contains(u'D')));
        QVERIFY(!QFile::exists(paths().stagingFile()));
        QCOMPARE(m_progress.value(), 100);
    }
    void longExportAndPersonKeys()
    {
        // more lines than the writer keeps at a time: each batch goes out whole
        QVERIFY(executeStatement(db(), u"delete from tblexport"_qs).ok());
        PreparedStatement insert(db(),
                                 u"insert into tblexport values(?,'1','0','2024/02/01','08:00:00','0')"_qs);
        QByteArray expected;
        for (int hid = 1000; hid < 5000; ++hid) {
            QVERIFY(insert.exec({QString::number(hid)}));
            expected += QByteArray::number(hid) + ",1,2024/02/01,08:00:00,0\r\n";
        }
        QVERIFY(TextExport(paths(), m_progress).exportLocal({filter({}, {}), output()}, lineOf).ok());
        QCOMPARE(TestFiles::read(output()), expected);
        // IDs of up to 18 digits are numbers, longer ones text
        QCOMPARE(QStringList({personKey(u"012345678901234567"_qs), personKey(u"0123456789012345678"_qs)}),
                 QStringList({u"12345678901234567"_qs, u"0123456789012345678"_qs}));
    }
    void noChosenEmployeeInTheWorkTable()
    {
        // a work table left by another search, holding none of the chosen employees: one blank line
        QVERIFY(executeStatement(db(),
                                 u"insert into tblExport1 values('5','1','0','2024/01/09','08:00:00','1')"_qs)
                    .ok());
        const Expected<ExportReport> blank =
            TextExport(paths(), m_progress).exportWorkTable({filter(u"ED"_qs, u"7,2"_qs), output()}, lineOf);
        QVERIFY2(blank.ok() && blank->status == ExportReport::Status::NoData, qPrintable(blank.error()));
        QCOMPARE(TestFiles::read(output()), QByteArray(" \r\n"));
        QVERIFY(!QFile::exists(paths().stagingFile()));
    }
    void failures_data()
    {
        // "database": a failing insert, "vanish": the folder goes mid-run, "full": a full staging device
        addColumns<QString, QString, QString>({"output", "what", "error"});
        addRow("missing folder", "no-such-folder/out.txt", "", "Cannot write the export file");
        addRow("a folder", "folder", "", "Cannot write the export file");
        addRow("database error", "folder/out.txt", "database", "disk is full");
        addRow("folder vanishing mid-run", "folder/out.txt", "vanish", "was not changed");
        addRow("full staging device", "folder/out.txt", "full", "No space left on device");
    }
    void failures()
    {
        const auto [path, what] = fetchColumns<QString, QString>("output", "what");
        QVERIFY(QDir(m_dir->path()).mkdir(u"folder"_qs));
        const QString target = m_dir->filePath(path);
        const QByteArray earlier = path.startsWith(u"folder/") && what != u"vanish" ? "earlier\r\n" : "";
        if (!earlier.isEmpty())
            QVERIFY(TestFiles::write(target, earlier));
        if (what == u"database")
            QVERIFY(executeStatement(db(),
                                     u"create trigger failing before insert on tblExport1 when new.HID = '7' "
                                     "begin select raise(abort, 'disk is full'); end"_qs)
                        .ok());
        if (what == u"vanish")
            m_progress.setYielder([this] { QDir(m_dir->filePath(u"folder"_qs)).removeRecursively(); });
        if (what == u"full")
            QVERIFY(QFile::link(u"/dev/full"_qs, paths().stagingFile()));
        const Expected<ExportReport> report =
            TextExport(paths(), m_progress).exportLocal({filter(u"D"_qs, {}), target}, lineOf);
        QVERIFY(!report.ok());
        QFETCH(QString, error);
        QVERIFY2(report.error().contains(error), qPrintable(report.error()));
        if (what.isEmpty())
            QVERIFY2(report.error().contains(QDir::toNativeSeparators(target)), qPrintable(report.error()));
        else
            QVERIFY2(report.error().contains(u"was not changed"_qs), qPrintable(report.error()));
        QCOMPARE(TestFiles::read(target), earlier);
        QVERIFY(!QFileInfo::exists(paths().stagingFile()) && !QFileInfo(paths().stagingFile()).isSymLink());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{u"dataexport.db"_qs});
    }

private:
    static ExportFilter filter(const QString& choices, const QString& employees)
    {
        return {choices.contains(u'E'), employees,        choices.contains(u'D'), choices.contains(u'R'),
                u"2024/01/01"_qs,       u"2024/01/31"_qs, choices.contains(u'F'), u"1, 3"_qs};
    }
    QSqlDatabase db() const { return Connections::get(Connections::LocalConnection); }
    QString output() const { return m_dir->filePath(u"out.txt"_qs); }
    AppPaths paths() const { return AppPaths(m_dir->path()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    RunProgress m_progress;
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
