#include "core/layouts/LayoutFile.h"
#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "fixtures/MainWindowSession.h"
#include "fixtures/TestFiles.h"
#include "gui/export/ExportWindow.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// The person right-aligned in five characters filled with "0", the date as yyyy/MM/dd, the time
// and the event, separated by ";".
const QByteArray WeekLayout = "[ZUNDataView]\r\nRows=4\r\nDelimiter=;\r\nViewName=Week\r\n"
                              "[ZUNData\\ROW\\1]\r\nTextMatrix=UID\r\nFixedWidth=5\r\nAlignmentData=1\r\n"
                              "spData=0\r\nFormatDateType=1\r\nFormatTimeType=0\r\nFormatYear=EN\r\n"
                              "IN=I\r\nOUT=O\r\n"
                              "[ZUNData\\ROW\\2]\r\nTextMatrix=Date\r\nFixedWidth=10\r\nAlignmentData=0\r\n"
                              "spData= \r\nFormatDateType=1\r\nFormatTimeType=0\r\nFormatYear=EN\r\n"
                              "IN=I\r\nOUT=O\r\n"
                              "[ZUNData\\ROW\\3]\r\nTextMatrix=Time\r\nFixedWidth=5\r\nAlignmentData=0\r\n"
                              "spData= \r\nFormatDateType=1\r\nFormatTimeType=1\r\nFormatYear=EN\r\n"
                              "IN=I\r\nOUT=O\r\n"
                              "[ZUNData\\ROW\\4]\r\nTextMatrix=Event\r\nFixedWidth=1\r\nAlignmentData=0\r\n"
                              "spData= \r\nFormatDateType=1\r\nFormatTimeType=1\r\nFormatYear=EN\r\n"
                              "IN=I\r\nOUT=O\r\nINOnly=0\r\nOUTOnly=0\r\n";
// One field: the terminal in three characters.
const QByteArray OneLayout =
    "[ZUNDataView]\r\nRows=1\r\nDelimiter=,\r\n"
    "[ZUNData\\ROW\\1]\r\nTextMatrix=Kestrum ID\r\nFixedWidth=3\r\nAlignmentData=1\r\n"
    "spData=0\r\nFormatDateType=1\r\nFormatTimeType=0\r\nFormatYear=EN\r\n";
const QString Success = QStringLiteral("Export successfully");

class PaintCounter final : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

// The export window of side-bar item 2 inside the real main window, with the shipped layouts,
// "Week" and "One" listed, exporting the local work table to a text file.
class TestExportWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_session.reset(); }
    void preselection_data();
    void preselection();
    void optionsEnableTheirControls_data();
    void optionsEnableTheirControls();
    void chosenLayoutIsUsedAndRemembered();
    void textExport_data();
    void textExport();
    void refusedOrFailedExportKeepsEarlierFile_data();
    void refusedOrFailedExportKeepsEarlierFile();
    void pickers_data();
    void pickers();
    void busyWindowRefusesSecondRunAndClose();

private:
    void open(const QString& remembered = QString());
    void addPunches();
    // Chooses the option, presses the picker button and returns the picker opened.
    QWidget* openPicker(bool employees);
    QString setting() const
    {
        return readIniValue(u"text"_qs, u"FormatName"_qs, u"(none)"_qs, m_session->paths().settingsFile());
    }
    QString sample() const { return Gui::child<QLineEdit>(m_window, "txtSimpleExport")->text(); }
    QComboBox* layouts() const { return Gui::child<QComboBox>(m_window, "cmbFileFormat"); }
    QString output() const { return m_session->dataDir() + QStringLiteral("/export.txt"); }

    std::unique_ptr<MainWindowSession> m_session;
    QPointer<ExportWindow> m_window;
};

void TestExportWindow::init()
{
    m_session = std::make_unique<MainWindowSession>();
    QVERIFY(ensureExportFormatDir(m_session->paths()));
    QVERIFY(TestFiles::write(m_session->paths().layoutFile(u"Week"_qs), WeekLayout));
    QVERIFY(TestFiles::write(m_session->paths().layoutFile(u"One"_qs), OneLayout));
}

// Remembers the layout ("-": none) and opens the window from the side bar.
void TestExportWindow::open(const QString& remembered)
{
    if (!remembered.isEmpty())
        QVERIFY(writeIniValue(u"text"_qs, u"FormatName"_qs, remembered == u"-" ? QString() : remembered,
                              m_session->paths().settingsFile()));
    m_session->clickItem(2);
    m_window = m_session->window<ExportWindow>(WindowId::Export);
    QVERIFY(m_window && m_window->isVisible());
}

// Person 7 twice on 2024/05/30 at terminal 1, person 12 once on 2024/05/31 at terminal 2.
void TestExportWindow::addPunches()
{
    QVERIFY(MainWindowSession::addPunch(u"7"_qs, u"1"_qs, u"2024/05/30"_qs, u"17:00:00"_qs));
    QVERIFY(MainWindowSession::addPunch(u"7"_qs, u"1"_qs, u"2024/05/30"_qs, u"08:00:00"_qs));
    QVERIFY(MainWindowSession::addPunch(u"12"_qs, u"2"_qs, u"2024/05/31"_qs, u"09:15:00"_qs, u"2"_qs));
}

void TestExportWindow::preselection_data()
{
    QTest::addColumn<QString>("remembered"); // empty: no settings file; "-": an empty name
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("fields");
    QTest::addColumn<QString>("sample");
    const struct
    {
        const char *name, *remembered, *selected;
        int fields;
        const char* sample;
    } rows[] = {
        {"no settings: Default", "", "Default", 5, "0000001,02,dd/MM/yyyy,HH:mm:ss,01"},
        {"empty name: the first", "-", "Default", 5, "0000001,02,dd/MM/yyyy,HH:mm:ss,01"},
        {"remembered Week", "Week", "Week", 4, "00000;yyyy/MM/dd;HH:mm;0"},
        {"a layout of one row", "One", "One", 1, "02"},
        {"not listed: nothing", "Gone", "", 0, ""},
    };
    for (const auto& r : rows)
        QTest::newRow(r.name) << QString::fromLatin1(r.remembered) << QString::fromLatin1(r.selected)
                              << r.fields << QString::fromLatin1(r.sample);
}

void TestExportWindow::preselection()
{
    QFETCH(QString, remembered);
    QFETCH(QString, selected);
    QFETCH(int, fields);
    QFETCH(QString, sample);
    open(remembered);
    QCOMPARE(layouts()->count(), 4);
    QCOMPARE(layouts()->currentText(), selected);
    QCOMPARE(m_window->grid().fieldCount(), fields);
    QCOMPARE(this->sample(), sample);
    QCOMPARE(Gui::child<QLabel>(m_window, "lblRuler")->text(),
             u"0        |10       |20       |30       |40       |50       |60       |70       |80"_qs);
    QCOMPARE(ExportLayout::current().path,
             selected.isEmpty() ? QString() : m_session->paths().layoutFile(selected));
    QVERIFY2(m_session->prompter().shown().isEmpty(), qPrintable(m_session->prompter().texts().join(u'\n')));
}

void TestExportWindow::optionsEnableTheirControls_data()
{
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QStringList>("controls");
    QTest::newRow("employees") << "OptSearch_1"
                               << "OptSearch_0" << QStringList{u"txtEmployee"_qs, u"cmdSearch"_qs};
    QTest::newRow("dates") << "Option2"
                           << "Option1" << QStringList{u"dtpExport_0"_qs, u"dtpExport_1"_qs};
    QTest::newRow("terminals") << "Option4"
                               << "Option3" << QStringList{u"txtFID"_qs, u"XPButton1"_qs};
}

void TestExportWindow::optionsEnableTheirControls()
{
    QFETCH(QString, second);
    QFETCH(QString, first);
    QFETCH(QStringList, controls);
    open();
    // the first of each pair is chosen as the window opens
    for (const QString& option : {QString(), second, first}) {
        if (!option.isEmpty())
            Gui::choose(m_window, qPrintable(option));
        QCOMPARE(Gui::child<QRadioButton>(m_window, qPrintable(first))->isChecked(), option != second);
        QCOMPARE(Gui::child<QRadioButton>(m_window, qPrintable(second))->isChecked(), option == second);
        for (const QString& name : controls)
            QCOMPARE(Gui::child(m_window, qPrintable(name))->isEnabled(), option == second);
    }
}

void TestExportWindow::chosenLayoutIsUsedAndRemembered()
{
    open();
    addPunches();
    // the operator picks the last entry of the list
    layouts()->setFocus();
    QTest::keyClick(layouts(), Qt::Key_End);
    QCOMPARE(layouts()->currentText(), QStringLiteral("Week"));
    QCOMPARE(m_window->grid().row(4), (LayoutRow{u"Event"_qs, u"1"_qs}));
    QCOMPARE(sample(), QStringLiteral("00000;yyyy/MM/dd;HH:mm;0"));
    QCOMPARE(setting(), QStringLiteral("(none)")); // choosing alone remembers nothing
    QTest::keyClick(layouts(), Qt::Key_Home);
    QCOMPARE(sample(), QStringLiteral("0000001,02,dd/MM/yyyy,HH:mm:ss,01"));
    QTest::keyClick(layouts(), Qt::Key_End);
    m_session->prompter().queueFileName(output());
    Gui::click(m_window, "cmdExport");
    QCOMPARE(m_session->prompter().texts(), QStringList{Success});
    QCOMPARE(setting(), QStringLiteral("Week"));
    // the next window preselects it
    m_session->reopen();
    open();
    QCOMPARE(layouts()->currentText(), QStringLiteral("Week"));
}

void TestExportWindow::textExport_data()
{
    QTest::addColumn<QString>("choices");
    QTest::addColumn<QByteArray>("expected"); // empty: nothing to export
    // the work table is read in order of person (as text), date and time
    const QByteArray all =
        "00012;2024/05/31;09:15;2\r\n00007;2024/05/30;08:00;0\r\n00007;2024/05/30;17:00;0\r\n";
    QTest::newRow("raw, all") << "" << all;
    QTest::newRow("filtered") << "optDataType_1"
                              << QByteArray("00012;2024/05/31;09:15;O\r\n00007;2024/05/30;08:00;I\r\n"
                                            "00007;2024/05/30;17:00;O\r\n");
    QTest::newRow("employee 12") << "OptSearch_1 txtEmployee=12"
                                 << QByteArray("00012;2024/05/31;09:15;2\r\n");
    QTest::newRow("terminal 1") << "Option4 txtFID=1" << all.mid(26);
    QTest::newRow("from 2024/05/31") << "Option2 from=2024-05-31" << all.left(26);
    QTest::newRow("up to 2024/05/30") << "Option2 from=2024-05-30 to=2024-05-30" << all.mid(26);
    QTest::newRow("every day ignores the dates") << "Option2 from=2024-05-31 Option1" << all;
    QTest::newRow("nobody") << "OptSearch_1 txtEmployee=99" << QByteArray();
}

void TestExportWindow::textExport()
{
    QFETCH(QString, choices);
    QFETCH(QByteArray, expected);
    open(u"Week"_qs);
    addPunches();
    for (const QString& choice : choices.split(u' ', Qt::SkipEmptyParts)) {
        const QString value = choice.section(u'=', 1);
        if (choice.startsWith(u"from=") || choice.startsWith(u"to=")) {
            const char* picker = choice.startsWith(u"from") ? "dtpExport_0" : "dtpExport_1";
            Gui::child<QDateEdit>(m_window, picker)->setDate(QDate::fromString(value, Qt::ISODate));
        } else if (choice.contains(u'=')) {
            Gui::type(m_window, qPrintable(choice.section(u'=', 0, 0)), value);
        } else {
            Gui::choose(m_window, qPrintable(choice));
        }
    }
    m_session->prompter().queueFileName(output());
    Gui::click(m_window, "cmdExport");
    const QList<TestPrompter::FileAsk> asked = m_session->prompter().fileAsks();
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0].kind, Prompter::FileDialog::Save);
    QCOMPARE(asked[0].filter,
             QStringLiteral("Text Files (*.Txt)|*.Txt|Excle Files (*.Xls)|*.Xls|All Files (*.*)|*.*"));
    QCOMPARE(m_session->prompter().texts(),
             QStringList{expected.isEmpty() ? u" No data for export !!!"_qs : Success});
    QCOMPARE(m_session->prompter().last().title, m_session->context().title);
    QCOMPARE(TestFiles::read(output()), expected);
    QVERIFY(!QFile::exists(m_session->paths().stagingFile()));
    QVERIFY(!Gui::child(m_window, "ProgressBar1")->isVisible());
    QVERIFY(Gui::child(m_window, "cmdExport")->isEnabled());
    QCOMPARE(setting(), QStringLiteral("Week"));
}

void TestExportWindow::refusedOrFailedExportKeepsEarlierFile_data()
{
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("asked"); // the file dialog was shown
    QTest::addColumn<QString>("message");
    const struct
    {
        const char *name, *remembered, *action;
        bool asked;
        const char* message;
    } rows[] = {
        {"no layout selected", "Gone", "", false, "no fields"},
        {"fields cleared", "Week", "cmdClear", false, "no fields"},
        {"file dialog cancelled", "Week", "cancel", true, ""},
        {"work table gone", "Week", "drop", true, "tblExport1"},
        {"Edit with no layout selected", "Gone", "cmdEdit", false, "No layout is selected"},
        {"Edit the first layout", "Default", "cmdEdit", false, ""},
        {"the local database as the file", "Week", "database", true, "it is the local database"},
    };
    for (const auto& r : rows)
        QTest::newRow(r.name) << QString::fromLatin1(r.remembered) << QString::fromLatin1(r.action) << r.asked
                              << QString::fromLatin1(r.message);
}

void TestExportWindow::refusedOrFailedExportKeepsEarlierFile()
{
    QFETCH(QString, remembered);
    QFETCH(QString, action);
    QFETCH(bool, asked);
    QFETCH(QString, message);
    QVERIFY(TestFiles::write(output(), "earlier export\r\n"));
    open(remembered);
    addPunches();
    if (action == u"cmdClear") {
        // Clear leaves the header row, and the sample as it was
        const QString before = sample();
        Gui::click(m_window, "cmdClear");
        QCOMPARE(m_window->grid().rowCount(), 1);
        QCOMPARE(sample(), before);
    }
    if (action == u"drop")
        QVERIFY(
            executeStatement(Connections::get(Connections::LocalConnection), u"drop table tblExport1"_qs));
    const QString database = m_session->paths().localDatabase();
    const QByteArray before = TestFiles::read(database);
    if (action != u"cancel")
        m_session->prompter().queueFileName(action == u"database" ? database : output());
    Gui::click(m_window, action == u"cmdEdit" ? "cmdEdit" : "cmdExport");
    QCOMPARE(m_session->prompter().fileAsks().size(), asked ? 1 : 0);
    QCOMPARE(m_session->prompter().shown().size(), message.isEmpty() ? 0 : 1);
    QWidget* editor = m_session->window(WindowId::EditExport);
    QCOMPARE(editor && editor->isVisible(), action == u"cmdEdit" && message.isEmpty());
    if (action != u"cmdEdit" && !message.isEmpty()) {
        QCOMPARE(m_session->prompter().last().icon, Prompter::Icon::Critical);
        QVERIFY2(m_session->prompter().last().text.contains(message, Qt::CaseInsensitive),
                 qPrintable(m_session->prompter().last().text));
    }
    QCOMPARE(TestFiles::read(output()), QByteArray("earlier export\r\n"));
    if (action == u"database")
        QCOMPARE(TestFiles::read(database), before);
    QVERIFY(!QFile::exists(m_session->paths().stagingFile()));
    QCOMPARE(setting(), remembered);
    QVERIFY(Gui::child(m_window, "cmdExport")->isEnabled());
}

QWidget* TestExportWindow::openPicker(bool employees)
{
    Gui::choose(m_window, employees ? "OptSearch_1" : "Option4");
    Gui::click(m_window, employees ? "cmdSearch" : "XPButton1");
    return m_session->window(employees ? WindowId::Employee : WindowId::TQID);
}

void TestExportWindow::pickers_data()
{
    QTest::addColumn<bool>("employees");
    QTest::addColumn<QList<int>>("rows"); // clicked in this order, Ctrl held for each further row
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("written"); // into the box that held "44"; "error": the list is unreadable
    const struct
    {
        const char* name;
        bool employees;
        QList<int> rows;
        const char *button, *written;
    } rows[] = {
        {"employees, two in list order", true, {2, 0}, "cmdOK", "3,9"},
        {"employees, one", true, {1}, "cmdOK", "5"},
        {"nothing chosen keeps the box", true, {}, "cmdOK", "44"},
        {"Cancel keeps the box", true, {0, 1}, "cmdCancel", "44"},
        {"terminals", false, {2, 0}, "cmdOK", "1,4"},
        {"employees unreadable", true, {}, "", "error"},
        {"terminals unreadable", false, {}, "", "error"},
    };
    for (const auto& r : rows)
        QTest::newRow(r.name) << r.employees << r.rows << QString::fromLatin1(r.button)
                              << QString::fromLatin1(r.written);
}

// The pickers list the distinct numbers of the local work table in order; OK writes the chosen
// ones into the export window's box in list order.
void TestExportWindow::pickers()
{
    QFETCH(bool, employees);
    QFETCH(QList<int>, rows);
    QFETCH(QString, button);
    QFETCH(QString, written);
    open();
    for (const auto& [hid, fid] : {std::pair{"3", "2"}, {"3", "1"}, {"9", "2"}, {"5", "4"}, {"9", "2"}})
        QVERIFY(MainWindowSession::addPunch(QString::fromLatin1(hid), QString::fromLatin1(fid),
                                            QStringLiteral("2024/05/30"), QStringLiteral("08:00:00")));
    if (written == u"error")
        QVERIFY(executeStatement(Connections::get(Connections::LocalConnection), u"drop table tblexport"_qs));
    auto* target = Gui::child<QLineEdit>(m_window, employees ? "txtEmployee" : "txtFID");
    target->setText(QStringLiteral("44"));
    QPointer<QWidget> picker = openPicker(employees);
    if (written == u"error") {
        QVERIFY(!picker);
        QCOMPARE(m_session->prompter().last().icon, Prompter::Icon::Critical);
        QVERIFY2(m_session->prompter().texts().join(u' ').contains(u"tblexport"_qs),
                 qPrintable(m_session->prompter().texts().join(u'\n')));
        QCOMPARE(m_session->main().mdiArea().subWindowList().size(), 1); // the export window only
        return;
    }
    QVERIFY(picker && picker->isVisible());
    auto* list = Gui::child<QListWidget>(picker, employees ? "ListEmployee" : "ListFID");
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    QCOMPARE(items.join(u','), employees ? u"3\t,5\t,9\t"_qs : u"1\t,2\t,4\t"_qs);
    for (int row : rows)
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualItemRect(list->item(row)).center());
    Gui::click(picker, qPrintable(button));
    QCOMPARE(target->text(), written);
    QTRY_VERIFY(picker.isNull());
    QCOMPARE(m_session->main().mdiArea().subWindowList().size(), 1);
    // the chosen employees stay with the export window
    if (employees)
        QCOMPARE(m_window->chosenEmployees()->selectedNumbers().join(u','),
                 written == u"44" ? QString() : written);
}

void TestExportWindow::busyWindowRefusesSecondRunAndClose()
{
    open();
    for (int i = 0; i < 50; ++i)
        QVERIFY(MainWindowSession::addPunch(QString::number(i), u"1"_qs, u"2024/05/30"_qs, u"08:00:00"_qs));
    auto* bar = Gui::child<QProgressBar>(m_window, "ProgressBar1");
    QSignalSpy moved(bar, &QProgressBar::valueChanged);
    PaintCounter painted;
    bar->installEventFilter(&painted);
    QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow*>(m_window->parentWidget());
    QVERIFY(frame);
    bool busy = false;
    // inside the export, when it first handles the window's events: press Export again, then the
    // close box, Exit and the side bar's terminal item
    QTimer::singleShot(0, m_window, [&] {
        busy = m_window->isExporting() && bar->isVisible() && !Gui::child(m_window, "cmdExport")->isEnabled();
        Gui::child<QPushButton>(m_window, "cmdExport")->click();
        frame->close();
        Gui::click(m_window, "cmdCancel");
        m_session->clickItem(1);
    });
    m_session->prompter().queueFileName(output());
    Gui::click(m_window, "cmdExport");
    QVERIFY(busy);
    const QString stillRunning = u"An export is still running. Close the window when it has finished."_qs;
    QCOMPARE(
        m_session->prompter().texts(),
        (QStringList{stillRunning, stillRunning,
                     u"The export window is still working. Choose again when it has finished."_qs, Success}));
    QVERIFY(!m_session->window(WindowId::Connect));
    QCOMPARE(m_session->prompter().fileAsks().size(), 1);
    QCOMPARE(TestFiles::read(output()).count('\n'), 50);
    QVERIFY(moved.size() > 2);
    QCOMPARE(moved.last().constFirst().toInt(), 100);
    // moved with every row, but not painted for every row: that would cost more than the rows
    QVERIFY2(painted.count < moved.size() / 2, qPrintable(QString::number(painted.count)));
    QVERIFY(m_window && m_window->isVisible() && !m_window->isExporting());
    QCOMPARE(m_session->window(WindowId::Export), m_window.data());
    // the export has ended: Exit closes the window, its frame, its pickers and the local database
    QPointer<QWidget> employees = openPicker(true);
    QPointer<QWidget> terminals = openPicker(false);
    QVERIFY(employees && terminals);
    Gui::click(m_window, "cmdCancel");
    QTRY_VERIFY(m_window.isNull() && frame.isNull() && employees.isNull() && terminals.isNull());
    QVERIFY(m_session->main().mdiArea().subWindowList().isEmpty());
    QVERIFY(!m_session->window(WindowId::Export));
    QVERIFY(!Connections::get(Connections::LocalConnection).isValid());
}

QTEST_MAIN(TestExportWindow)
#include "tst_exportwindow.moc"
