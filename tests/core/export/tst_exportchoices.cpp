#include "core/export/ExportChoices.h"

#include <QTest>

namespace {

using Export = ExportChoices::Export;
using Control = ExportChoices::Control;

// One letter per export: T text, A time attendance, Q access control to text, R access control
// to time attendance.
const QList<std::pair<char, Export>> Exports = {{'T', Export::Text},
                                                {'A', Export::TimeAttendance},
                                                {'Q', Export::AccessControlText},
                                                {'R', Export::AccessControlTimeAttendance}};
// One letter per control: E employee IDs, D data type, R date range, F terminal IDs, L layout
// list, N New and Edit.
const QList<std::pair<char, Control>> Controls = {{'E', Control::EmployeeIds}, {'D', Control::DataType},
                                                  {'R', Control::DateRange},   {'F', Control::TerminalIds},
                                                  {'L', Control::LayoutList},  {'N', Control::LayoutEditing}};

QString filterText(const ExportFilter& f)
{
    const auto flag = [](bool on) {
        return QChar(on ? u'+' : u'-');
    };
    return QStringLiteral("%1%2 %3 %4%5-%6 %7%8")
        .arg(flag(f.chosenEmployees))
        .arg(f.employees)
        .arg(f.filtered ? QStringLiteral("filtered") : QStringLiteral("raw"))
        .arg(flag(f.dateRange))
        .arg(f.from, f.to)
        .arg(flag(f.chosenTerminals))
        .arg(f.terminals);
}

} // namespace

class TestExportChoices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void modes_data();
    void modes();
    void filter_data();
    void filter();
    void preselection_data();
    void preselection();
};

void TestExportChoices::modes_data()
{
    QTest::addColumn<QString>("prepared"); // the openers' preparations, in order
    QTest::addColumn<bool>("editor");
    QTest::addColumn<QString>("options"); // second choices on: E employees, R dates, F terminals
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<QString>("commands"); // the export commands shown
    QTest::addColumn<bool>("taMode");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("heading");

    QTest::newRow("start-up") << "" << true << ""
                              << "DLN"
                              << "" << false << "Export Text"
                              << "Export Text";
    QTest::newRow("no format editor") << "T" << false << ""
                                      << "DL"
                                      << "T" << false << "Export to text"
                                      << "Export to text";
    QTest::newRow("second choices") << "T" << true << "ERF"
                                    << "EDRFLN"
                                    << "T" << false << "Export to text"
                                    << "Export to text";
    QTest::newRow("dates alone") << "" << true << "R"
                                 << "DRLN"
                                 << "" << false << "Export Text"
                                 << "Export Text";
    QTest::newRow("time attendance") << "A" << true << ""
                                     << ""
                                     << "A" << true << "Export to TA"
                                     << "Export to TA";
    QTest::newRow("text after time attendance") << "AT" << true << ""
                                                << "DLN"
                                                << "T" << false << "Export to text"
                                                << "Export to text";
    QTest::newRow("time attendance after text") << "TA" << true << "EF"
                                                << "EF"
                                                << "A" << true << "Export to TA"
                                                << "Export to TA";
    QTest::newRow("server to text keeps the controls") << "AQ" << true << ""
                                                       << ""
                                                       << "AQ" << false << "Export QOR to text file"
                                                       << "Export to TA";
    QTest::newRow("server to text after text") << "TQ" << true << ""
                                               << "DLN"
                                               << "TQ" << false << "Export QOR to text file"
                                               << "Export to text";
    QTest::newRow("server to time attendance") << "QR" << true << ""
                                               << ""
                                               << "QR" << true << "Export QOR to TA"
                                               << "Export Text";
}

void TestExportChoices::modes()
{
    QFETCH(QString, prepared);
    QFETCH(bool, editor);
    QFETCH(QString, options);
    QFETCH(QString, enabled);
    QFETCH(QString, commands);
    QFETCH(bool, taMode);
    QFETCH(QString, title);
    QFETCH(QString, heading);

    ExportChoices choices;
    choices.setFormatEditorAvailable(editor);
    for (const QChar step : prepared)
        for (const auto& [letter, kind] : Exports)
            if (step == QLatin1Char(letter))
                choices.prepare(kind);
    choices.setChosenEmployees(options.contains(u'E'));
    choices.setDateRange(options.contains(u'R'));
    choices.setChosenTerminals(options.contains(u'F'));

    QString gotEnabled;
    for (const auto& [letter, control] : Controls)
        if (choices.isEnabled(control))
            gotEnabled += QLatin1Char(letter);
    QString gotCommands;
    for (const auto& [letter, kind] : Exports)
        if (choices.isCommandVisible(kind))
            gotCommands += QLatin1Char(letter);
    QCOMPARE(gotEnabled, enabled);
    QCOMPARE(gotCommands, commands);
    QCOMPARE(choices.isTimeAttendanceMode(), taMode);
    QCOMPARE(choices.isAccessControlMode(), commands.contains(u'Q') || commands.contains(u'R'));
    QCOMPARE(choices.windowTitle(), title);
    QCOMPARE(choices.heading(), heading);
}

void TestExportChoices::filter_data()
{
    QTest::addColumn<QString>("options"); // E employees, D filtered data, R dates, F terminals
    QTest::addColumn<QString>("employees");
    QTest::addColumn<QString>("terminals");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("expected");

    QTest::newRow("every day still carries both dates")
        << ""
        << ""
        << "" << QDate(2024, 5, 30) << QDate(2024, 5, 31) << "- raw -2024/05/30-2024/05/31 -";
    QTest::newRow("all choices, boxes as typed")
        << "EDRF"
        << " 7, 12"
        << "1,3" << QDate(2024, 1, 9) << QDate(2024, 1, 9) << "+ 7, 12 filtered +2024/01/09-2024/01/09 +1,3";
    QTest::newRow("boxes kept while all are chosen")
        << ""
        << "7"
        << "2" << QDate(2024, 1, 9) << QDate(2024, 1, 9) << "-7 raw -2024/01/09-2024/01/09 -2";
    QTest::newRow("Buddhist-era years")
        << "R"
        << ""
        << "" << QDate(2567, 1, 9) << QDate(2501, 1, 1) << "- raw +2024/01/09-1958/01/01 -";
    QTest::newRow("year 2500 is Christian era")
        << "R"
        << ""
        << "" << QDate(2500, 12, 31) << QDate(2500, 12, 31) << "- raw +2500/12/31-2500/12/31 -";
    QTest::newRow("no date") << "R"
                             << ""
                             << "" << QDate() << QDate(2024, 2, 29) << "- raw +-2024/02/29 -";
}

void TestExportChoices::filter()
{
    QFETCH(QString, options);
    QFETCH(QString, employees);
    QFETCH(QString, terminals);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, expected);

    ExportChoices choices;
    choices.setChosenEmployees(options.contains(u'E'));
    choices.setFilteredData(options.contains(u'D'));
    choices.setDateRange(options.contains(u'R'));
    choices.setChosenTerminals(options.contains(u'F'));
    choices.setEmployeeIds(employees);
    choices.setTerminalIds(terminals);
    choices.setFrom(from);
    choices.setTo(to);
    QCOMPARE(filterText(choices.filter()), expected);
}

void TestExportChoices::preselection_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("taMode");
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<int>("index"); // -1: nothing selected
    QTest::addColumn<bool>("byName");
    const QStringList names{u"Default"_qs, u"TA_format"_qs, u"Week"_qs};
    QTest::newRow("remembered") << names << false << "Week" << 2 << true;
    QTest::newRow("empty name takes the first") << names << false << "" << 0 << false;
    QTest::newRow("TAMode ignores the name") << names << true << "Week" << 1 << true;
    QTest::newRow("exact comparison") << names << false << "week" << -1 << false;
    QTest::newRow("not listed") << names << false << "Gone" << -1 << false;
    QTest::newRow("TAMode without TA_format") << QStringList{u"Default"_qs} << true << "" << -1 << false;
    QTest::newRow("no layouts") << QStringList() << false << "" << -1 << false;
}

void TestExportChoices::preselection()
{
    QFETCH(QStringList, names);
    QFETCH(bool, taMode);
    QFETCH(QString, remembered);
    QFETCH(int, index);
    QFETCH(bool, byName);
    ExportChoices choices;
    choices.setTimeAttendanceMode(taMode);
    const auto chosen = choices.preselectLayout(names, remembered);
    QCOMPARE(chosen ? chosen->index : -1, index);
    QCOMPARE(chosen && chosen->byName, byName);
}

QTEST_APPLESS_MAIN(TestExportChoices)
#include "tst_exportchoices.moc"
