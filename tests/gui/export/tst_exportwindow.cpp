#include "core/layouts/LayoutFile.h"
#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "fixtures/MainWindowSession.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"
#include "gui/export/ExportWindow.h"
#include "gui/layouts/FormatEditor.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
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
#include <QTableView>
#include <QTimer>

namespace {

// The person right-aligned in five characters filled with "0", the date, the time and the event.
const QByteArray WeekLayout =
    "[ZUNDataView]\r\nRows=4\r\nDelimiter=;\r\nViewName=Week\r\n"
    "[ZUNData\\ROW\\1]\r\nTextMatrix=UID\r\nFixedWidth=5\r\nAlignmentData=1\r\n"
    "spData=0\r\nFormatDateType=1\r\nFormatTimeType=0\r\nFormatYear=EN\r\nIN=I\r\nOUT=O\r\n"
    "[ZUNData\\ROW\\2]\r\nTextMatrix=Date\r\nFixedWidth=10\r\nAlignmentData=0\r\n"
    "spData= \r\nFormatDateType=1\r\nFormatTimeType=0\r\nFormatYear=EN\r\nIN=I\r\nOUT=O\r\n"
    "[ZUNData\\ROW\\3]\r\nTextMatrix=Time\r\nFixedWidth=5\r\nAlignmentData=0\r\n"
    "spData= \r\nFormatDateType=1\r\nFormatTimeType=1\r\nFormatYear=EN\r\nIN=I\r\nOUT=O\r\n"
    "[ZUNData\\ROW\\4]\r\nTextMatrix=Event\r\nFixedWidth=1\r\nAlignmentData=0\r\n"
    "spData= \r\nFormatDateType=1\r\nFormatTimeType=1\r\nFormatYear=EN\r\n"
    "IN=I\r\nOUT=O\r\nINOnly=0\r\nOUTOnly=0\r\n";
// A layout of one row: the terminal in three characters.
const QByteArray OneLayout =
    "[ZUNDataView]\r\nRows=1\r\nDelimiter=,\r\n"
    "[ZUNData\\ROW\\1]\r\nTextMatrix=Kestrum ID\r\nFixedWidth=3\r\nAlignmentData=1\r\n"
    "spData=0\r\nFormatDateType=1\r\nFormatTimeType=0\r\nFormatYear=EN\r\n";
// Three fields with alignments and pads of their own, Buddhist-era dates, OUT-only events.
const QByteArray ThreeFields = "[ZUNDataView]\r\nRows=3\r\nDelimiter=,\r\nViewName=Three\r\n"
                               "[ZUNData\\ROW\\1]\r\nTextMatrix=UID\r\nFixedWidth=8\r\nAlignmentData=1\r\n"
                               "spData=0\r\nFormatDateType=1\r\nFormatTimeType=1\r\nFormatYear=EN\r\n"
                               "[ZUNData\\ROW\\2]\r\nTextMatrix=Date\r\nFixedWidth=10\r\nAlignmentData=0\r\n"
                               "spData=-\r\nFormatDateType=1\r\nFormatTimeType=1\r\nFormatYear=TH\r\n"
                               "[ZUNData\\ROW\\3]\r\nTextMatrix=Event\r\nFixedWidth=2\r\nAlignmentData=2\r\n"
                               "spData=*\r\nFormatDateType=1\r\nFormatTimeType=1\r\nFormatYear=EN\r\n"
                               "IN=I\r\nOUT=O\r\nINOnly=0\r\nOUTOnly=1\r\n";

const QString Success = u"Export successfully"_qs;
const QString DefaultSample = u"0000001,02,dd/MM/yyyy,HH:mm:ss,01"_qs;
const QString WeekSample = u"00000;yyyy/MM/dd;HH:mm;0"_qs;
// Sorted by person as text, date and time.
const QByteArray WeekAll =
    "00012;2024/05/31;09:15;2\r\n00007;2024/05/30;08:00;0\r\n00007;2024/05/30;17:00;0\r\n";

} // namespace

// The export window of side-bar item 2 inside the real main window, and the format editor it opens.
class TestExportWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_session.reset(); }
    void optionsAndLayoutChoice();
    void textExport_data();
    void textExport();
    void closingWhileExporting();
    void editAndSave();
    void leavingEditorWithoutSave_data();
    void leavingEditorWithoutSave();
    void newLayoutAndUnreadableLayouts();

private:
    void open(const QString& remembered = {});
    QString setting() const
    {
        return readIniValue(u"text"_qs, u"FormatName"_qs, u"(none)"_qs, m_session->paths().settingsFile());
    }
    QWidget* w(const char* name) const { return Gui::child(m_window, name); }
    QString sample() const { return Gui::child<QLineEdit>(m_window, "txtSimpleExport")->text(); }
    QComboBox* layouts() const { return Gui::child<QComboBox>(m_window, "cmbFileFormat"); }
    QString output() const { return m_session->dataDir() + u"/export.txt"_qs; }
    TestPrompter& prompter() { return m_session->prompter(); }
    QWidget* openPicker(bool employees)
    {
        Gui::choose(m_window, employees ? "OptSearch_1" : "Option4");
        Gui::click(m_window, employees ? "cmdSearch" : "XPButton1");
        return m_session->window(employees ? WindowId::Employee : WindowId::TQID);
    }

    FormatEditor* openEditor(const char* button);
    // Clicks that row of the field list ("MSHFlexGrid1") or of the export fields ("MSHFlexGrid2").
    void pick(const char* grid, int row)
    {
        auto* view = Gui::child<QTableView>(m_editor, grid);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(row, 0)).center());
    }
    // The export fields as NAME:WIDTH, then the field panel's controls shown, then the sample line.
    QString state() const
    {
        QStringList fields, shown;
        for (const LayoutRow& r : m_editor->exportFields().fieldRows())
            fields << r.field + u':' + r.width;
        for (const char* name :
             {"lbl_1", "txtFormatData_1", "lbl_2", "cmbAlignmentData", "lbl_8", "txtStr", "lbl_3",
              "cmbDataFormat", "combformatTime", "lbl_7", "Option1", "Option2", "XPFrame1"})
            if (Gui::child(m_editor, name)->isVisibleTo(m_editor))
                shown << QLatin1String(name);
        return fields.join(u',') + u' ' + shown.join(u',') + u' ' + text("txtSimpleExport");
    }
    QString text(const char* name) const
    {
        QWidget* control = Gui::child(m_editor, name);
        if (auto* list = qobject_cast<QComboBox*>(control))
            return list->currentText();
        if (auto* label = qobject_cast<QLabel*>(control))
            return label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            return QString::number(button->isChecked());
        return qobject_cast<QLineEdit*>(control)->text();
    }
    QString saved(const QString& layout, int row, const char* key) const
    {
        return readLayoutValue(row ? u"ZUNData\\ROW\\"_qs + QString::number(row) : u"ZUNDataView"_qs,
                               QLatin1String(key), m_session->paths().layoutFile(layout));
    }
    QStringList layoutFiles() const
    {
        return QDir(m_session->dataDir() + u"/ExportFormat"_qs).entryList(QDir::Files);
    }

    std::unique_ptr<MainWindowSession> m_session;
    QPointer<ExportWindow> m_window;
    QPointer<FormatEditor> m_editor;
};

void TestExportWindow::init()
{
    m_session = std::make_unique<MainWindowSession>();
    QVERIFY(ensureExportFormatDir(m_session->paths()));
    QVERIFY(TestFiles::write(m_session->paths().layoutFile(u"Week"_qs), WeekLayout));
    QVERIFY(TestFiles::write(m_session->paths().layoutFile(u"One"_qs), OneLayout));
}

// Remembers the layout ("-": an empty name) and opens the window from the side bar.
void TestExportWindow::open(const QString& remembered)
{
    if (!remembered.isEmpty())
        QVERIFY(writeIniValue(u"text"_qs, u"FormatName"_qs, remembered == u"-" ? QString() : remembered,
                              m_session->paths().settingsFile()));
    m_session->clickItem(2);
    m_window = m_session->window<ExportWindow>(WindowId::Export);
    QVERIFY(m_window && m_window->isVisible());
}

// The options enable their controls; a layout chosen is shown at once, remembered with an export.
void TestExportWindow::optionsAndLayoutChoice()
{
    open();
    const char* const pairs[][4] = {{"OptSearch_0", "OptSearch_1", "txtEmployee", "cmdSearch"},
                                    {"Option1", "Option2", "dtpExport_0", "dtpExport_1"},
                                    {"Option3", "Option4", "txtFID", "XPButton1"}};
    for (const auto& p : pairs) {
        for (const char* option : {"", p[1], p[0]}) {
            if (*option)
                Gui::choose(m_window, option);
            const bool second = option == p[1];
            QCOMPARE(Gui::child<QRadioButton>(m_window, p[0])->isChecked(), !second);
            QCOMPARE(Gui::child<QRadioButton>(m_window, p[1])->isChecked(), second);
            QCOMPARE(w(p[2])->isEnabled(), second);
            QCOMPARE(w(p[3])->isEnabled(), second);
        }
    }
    layouts()->setFocus();
    QTest::keyClick(layouts(), Qt::Key_End);
    QCOMPARE(layouts()->currentText(), u"Week"_qs);
    QCOMPARE(sample(), WeekSample);
    QCOMPARE(setting(), u"(none)"_qs);
    QCOMPARE(Gui::child<QLabel>(m_window, "lblRuler")->text(),
             u"0        |10       |20       |30       |40       |50       |60       |70       |80"_qs);
    QTest::keyClick(layouts(), Qt::Key_Home);
    QCOMPARE(sample(), DefaultSample);
    // Clear leaves no field to export; with no layout listed as chosen, Edit has nothing to edit
    Gui::click(m_window, "cmdClear");
    Gui::click(m_window, "cmdExport");
    layouts()->setCurrentIndex(-1);
    Gui::click(m_window, "cmdEdit");
    QCOMPARE(
        prompter().texts().value(1),
        u"No layout is selected, so there is nothing to edit.\nChoose a layout in the list, or create one with New."_qs);
    // a work table that cannot be read opens no picker
    QVERIFY(executeStatement(Connections::get(Connections::LocalConnection), u"drop table tblexport"_qs));
    QVERIFY(!openPicker(false) && prompter().texts().value(2).contains(u"tblexport"_qs));
    QVERIFY2(prompter().texts().value(0).contains(u"no fields"_qs) && prompter().fileAsks().isEmpty(),
             qPrintable(prompter().texts().join(u'\n')));
}

void TestExportWindow::textExport_data()
{
    // the remembered layout ("-": an empty name); the choices; the file (empty: nothing to export)
    addColumns<QString, QString, QByteArray>({"layout", "choices", "expected"});
    addRow("no settings: Default", u""_qs, u""_qs,
           QByteArray("0000000012,002,31/05/2024,09:15:00,2\r\n0000000007,001,30/05/2024,08:00:00,0\r\n"
                      "0000000007,001,30/05/2024,17:00:00,0\r\n"));
    addRow("empty name: the first", u"-"_qs, u"OptSearch_1 txtEmployee=12"_qs,
           QByteArray("0000000012,002,31/05/2024,09:15:00,2\r\n"));
    addRow("raw, all", u"Week"_qs, u""_qs, WeekAll);
    addRow(
        "filtered", u"Week"_qs, u"optDataType_1"_qs,
        QByteArray("00012;2024/05/31;09:15;O\r\n00007;2024/05/30;08:00;I\r\n00007;2024/05/30;17:00;O\r\n"));
    addRow("terminal 1", u"Week"_qs, u"Option4 txtFID=1"_qs, WeekAll.mid(26));
    addRow("from 2024/05/31", u"Week"_qs, u"Option2 from=2024-05-31"_qs, WeekAll.left(26));
    addRow("up to 2024/05/30", u"Week"_qs, u"Option2 from=2024-05-30 to=2024-05-30"_qs, WeekAll.mid(26));
    addRow("nobody", u"Week"_qs, u"OptSearch_1 txtEmployee=99"_qs, QByteArray());
    addRow("a layout of one row", u"One"_qs, u""_qs, QByteArray("002\r\n001\r\n001\r\n"));
}

void TestExportWindow::textExport()
{
    const auto [layout, choices, expected] =
        fetchColumns<QString, QString, QByteArray>("layout", "choices", "expected");
    open(layout);
    const QString selected = layout.size() > 1 ? layout : u"Default"_qs;
    const int fields = layout == u"Week" ? 4 : layout == u"One" ? 1 : 5;
    QCOMPARE(layouts()->currentText(), selected);
    QCOMPARE(m_window->grid().fieldCount(), fields);
    QCOMPARE(sample(), fields == 4 ? WeekSample : fields == 1 ? u"02"_qs : DefaultSample);
    QVERIFY(MainWindowSession::addPunch(u"7"_qs, u"1"_qs, u"2024/05/30"_qs, u"17:00:00"_qs));
    QVERIFY(MainWindowSession::addPunch(u"7"_qs, u"1"_qs, u"2024/05/30"_qs, u"08:00:00"_qs));
    QVERIFY(MainWindowSession::addPunch(u"12"_qs, u"2"_qs, u"2024/05/31"_qs, u"09:15:00"_qs, u"2"_qs));
    for (const QString& choice : choices.split(u' ', Qt::SkipEmptyParts)) {
        const QString value = choice.section(u'=', 1);
        if (choice.startsWith(u"from=") || choice.startsWith(u"to="))
            Gui::child<QDateEdit>(m_window, choice.startsWith(u"from") ? "dtpExport_0" : "dtpExport_1")
                ->setDate(QDate::fromString(value, Qt::ISODate));
        else if (choice.contains(u'='))
            Gui::type(m_window, qPrintable(choice.section(u'=', 0, 0)), value);
        else
            Gui::choose(m_window, qPrintable(choice));
    }
    prompter().queueFileName(output());
    Gui::click(m_window, "cmdExport");
    QCOMPARE(prompter().fileAsks().size(), 1);
    QCOMPARE(prompter().texts(), QStringList{expected.isEmpty() ? u" No data for export !!!"_qs : Success});
    QCOMPARE(TestFiles::read(output()), expected);
    QVERIFY(!QFile::exists(m_session->paths().stagingFile()));
    QCOMPARE(setting(), selected);
}

// While an export runs every way of closing the window is refused with a message; then each works.
void TestExportWindow::closingWhileExporting()
{
    open();
    for (int i = 0; i < 50; ++i)
        QVERIFY(MainWindowSession::addPunch(QString::number(i), u"1"_qs, u"2024/05/30"_qs, u"08:00:00"_qs));
    auto* bar = Gui::child<QProgressBar>(m_window, "ProgressBar1");
    QSignalSpy moved(bar, &QProgressBar::valueChanged);
    QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow*>(m_window->parentWidget());
    QVERIFY(frame);
    bool busy = false;
    bool mainClosed = true;
    QTimer::singleShot(0, m_window, [&] {
        busy = m_window->isExporting() && bar->isVisible() && !w("cmdExport")->isEnabled();
        Gui::child<QPushButton>(m_window, "cmdExport")->click();
        frame->close();
        Gui::click(m_window, "cmdCancel");
        m_session->clickItem(1);
        mainClosed = m_session->main().close();
    });
    prompter().queueFileName(output());
    Gui::click(m_window, "cmdExport");
    QVERIFY(busy);
    QVERIFY(!mainClosed);
    const QString running = u"An export is still running. Close the window when it has finished."_qs;
    QCOMPARE(prompter().texts(),
             (QStringList{running, running,
                          u"The export window is still working. Choose again when it has finished."_qs,
                          running, Success}));
    QCOMPARE(TestFiles::read(output()).count('\n'), 50);
    QCOMPARE(moved.last().constFirst().toInt(), 100);
    QVERIFY(m_window && m_window->isVisible() && !m_window->isExporting());
    QVERIFY(w("cmdExport")->isEnabled());
    // the pickers list the work table's numbers; OK writes the chosen ones in list order
    QPointer<QWidget> employees = openPicker(true);
    auto* list = Gui::child<QListWidget>(employees, "ListEmployee");
    QCOMPARE(list->count(), 50);
    for (int row : {12, 3})
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualItemRect(list->item(row)).center());
    Gui::click(employees, "cmdOK");
    QCOMPARE(Gui::child<QLineEdit>(m_window, "txtEmployee")->text(),
             list->item(3)->text().trimmed() + u',' + list->item(12)->text().trimmed());
    QTRY_VERIFY(employees.isNull());
    // Exit closes the window, its frame, its pickers and the local database
    employees = openPicker(true);
    QPointer<QWidget> terminals = openPicker(false);
    QVERIFY(employees && terminals);
    Gui::click(m_window, "cmdCancel");
    QTRY_VERIFY(m_window.isNull() && frame.isNull() && employees.isNull() && terminals.isNull());
    QVERIFY(!Connections::get(Connections::LocalConnection).isValid());
    // the close box, and the main window closing with it open
    for (int path = 0; path < 2; ++path) {
        open();
        frame = qobject_cast<QMdiSubWindow*>(m_window->parentWidget());
        QVERIFY(path == 0 ? frame->close() : m_session->main().close());
        QTRY_VERIFY(m_window.isNull() && frame.isNull());
        QVERIFY(!Connections::get(Connections::LocalConnection).isValid());
        QVERIFY(!m_session->window(WindowId::Export));
    }
}

FormatEditor* TestExportWindow::openEditor(const char* button)
{
    if (!TestFiles::write(m_session->paths().layoutFile(u"Three"_qs), ThreeFields))
        return nullptr;
    open(u"Three"_qs);
    Gui::click(m_window, button);
    m_editor = m_session->window<FormatEditor>(WindowId::EditExport);
    return m_editor && m_editor->isVisible() ? m_editor.data() : nullptr;
}

void TestExportWindow::editAndSave()
{
    QVERIFY(openEditor("cmdEdit"));
    QCOMPARE(text("txtFileName"), u"Three"_qs);
    QCOMPARE(text("Label2").simplified(), u"0 10 20 30 40 50 60 70 80"_qs);
    // the panel of each kind of field, and its values
    const QString read = u"0000001,yyyy/MM/dd,01"_qs;
    pick("MSHFlexGrid2", 1);
    QCOMPARE(state(),
             u"UID:8,Date:10,Event:2 lbl_1,txtFormatData_1,lbl_2,cmbAlignmentData,lbl_8,txtStr "_qs + read);
    QCOMPARE(text("Label1") + text("txtFormatData_1") + text("cmbAlignmentData") + text("txtStr"),
             u"UID8Right0"_qs);
    pick("MSHFlexGrid2", 2);
    QCOMPARE(state(), u"UID:8,Date:10,Event:2 lbl_3,cmbDataFormat,lbl_7,Option1,Option2 "_qs + read);
    QCOMPARE(text("Option1") + text("Option2"), u"01"_qs);
    pick("MSHFlexGrid2", 3);
    QCOMPARE(state(), u"UID:8,Date:10,Event:2 lbl_2,cmbAlignmentData,XPFrame1 "_qs + read);
    QCOMPARE(text("txtIN") + text("txtOUT") + text("optIN") + text("optOUT") + text("cmbAlignmentData"),
             u"IO01Center"_qs);
    Gui::click(m_editor, "optIN");
    QCOMPARE(text("optIN") + text("optOUT"), u"10"_qs);
    Gui::type(m_editor, "txtIN", u"เข้า"_qs);
    Gui::type(m_editor, "txtOUT", u"ออก"_qs);
    pick("MSHFlexGrid2", 1);
    Gui::type(m_editor, "txtFormatData_1", u"15a-"_qs);
    Gui::child<QComboBox>(m_editor, "cmbAlignmentData")->setCurrentIndex(2);
    Gui::type(m_editor, "txtStr", u"#"_qs);
    pick("MSHFlexGrid2", 2);
    Gui::child<QComboBox>(m_editor, "cmbDataFormat")->setCurrentIndex(4);
    Gui::choose(m_editor, "Option1");
    Gui::click(m_editor, "cmdUp");
    QCOMPARE(state().section(u' ', 0, 0), u"Date:10,UID:15,Event:2"_qs);
    QVERIFY(Gui::child<QTableView>(m_editor, "MSHFlexGrid2")->selectionModel()->isRowSelected(1, {}));
    Gui::click(m_editor, "cmdDown");
    for (const int field : {5, 3}) { // Time, Group
        pick("MSHFlexGrid1", field);
        Gui::click(m_editor, "cmdAdd");
    }
    QCOMPARE(text("Label1"), u"Group"_qs);
    Gui::click(m_editor, "cmdDelete");
    pick("MSHFlexGrid2", 4);
    QCOMPARE(state().section(u' ', 1, 1), u"lbl_3,combformatTime"_qs);
    Gui::child<QComboBox>(m_editor, "combformatTime")->setCurrentIndex(1);
    Gui::click(m_editor, "optDelimiter_4");
    Gui::type(m_editor, "txtDelimiter", u"|"_qs);
    Gui::click(m_editor, "optDelimiter_4");
    const QString edited =
        u"UID:15,Date:10,Event:2,Time:8 lbl_3,combformatTime ##0000001##|yyMMdd|01|HH:mm"_qs;
    QCOMPARE(state(), edited);
    // Save & Exit writes what was edited; the export window lists it once, selects and uses it
    Gui::click(m_editor, "cmdSaveExit");
    QTRY_VERIFY(m_editor.isNull());
    QStringList written;
    for (const auto& [row, key] : {std::pair{0, "Rows"},
                                   {0, "Delimiter"},
                                   {1, "FixedWidth"},
                                   {1, "AlignmentData"},
                                   {1, "spData"},
                                   {2, "FormatDateType"},
                                   {2, "FormatYear"},
                                   {3, "IN"},
                                   {3, "OUT"},
                                   {3, "INOnly"},
                                   {3, "OUTOnly"},
                                   {4, "TextMatrix"},
                                   {4, "FormatTimeType"}})
        written << saved(u"Three"_qs, row, key);
    QCOMPARE(written.join(u' '), u"4 | 15 2 # 4 EN เข้า ออก 1 0 Time 1"_qs);
    auto* list = layouts();
    QCOMPARE(list->currentText(), u"Three"_qs);
    QCOMPARE(list->findText(u"Three"_qs), list->currentIndex());
    QCOMPARE(list->count(), layoutFiles().size());
    QCOMPARE(sample(), edited.section(u' ', 2));
    QVERIFY2(prompter().shown().isEmpty(), qPrintable(prompter().texts().join(u'\n')));
}

void TestExportWindow::leavingEditorWithoutSave_data()
{
    addColumns<QString, QString>({"opener", "how"});
    addRow("Edit, Cancel", u"cmdEdit"_qs, u"cmdCancel"_qs);
    addRow("New, Cancel", u"cmdNew"_qs, u"cmdCancel"_qs);
    addRow("Edit, the close box", u"cmdEdit"_qs, u"close"_qs);
    addRow("Edit, the main window closing", u"cmdEdit"_qs, u"quit"_qs);
}

// Leaving without Save discards the changes: no file written, the export window as it was.
void TestExportWindow::leavingEditorWithoutSave()
{
    const auto [opener, how] = fetchColumns<QString, QString>("opener", "how");
    QVERIFY(openEditor(qPrintable(opener)));
    const QString before = sample();
    const QStringList files = layoutFiles();
    pick("MSHFlexGrid1", 1);
    Gui::click(m_editor, "cmdAdd");
    Gui::click(m_editor, "cmdUp");
    Gui::type(m_editor, "txtStr", u"#"_qs);
    Gui::click(m_editor, "optDelimiter_2");
    Gui::type(m_editor, "txtFileName", opener == u"cmdNew" ? u"Week"_qs : u"Three"_qs);
    if (how == u"close")
        QVERIFY(qobject_cast<QMdiSubWindow*>(m_editor->parentWidget())->close());
    else if (how == u"quit")
        QVERIFY(m_session->main().close());
    else
        Gui::click(m_editor, qPrintable(how));
    QTRY_VERIFY(m_editor.isNull());
    QCOMPARE(TestFiles::read(m_session->paths().layoutFile(u"Three"_qs)), ThreeFields);
    QCOMPARE(layoutFiles(), files);
    QCOMPARE(ExportLayout::current().path, m_session->paths().layoutFile(u"Three"_qs));
    QVERIFY(prompter().shown().isEmpty());
    if (how == u"quit")
        return;
    QCOMPARE(sample(), before);
    QCOMPARE(m_window->grid().fieldCount(), 3);
}

void TestExportWindow::newLayoutAndUnreadableLayouts()
{
    QVERIFY(openEditor("cmdNew"));
    QCOMPARE(state(), u" lbl_1,txtFormatData_1,lbl_2,cmbAlignmentData "_qs);
    QCOMPARE(text("Label1") + text("txtDelimiter"), u"@@"_qs);
    pick("MSHFlexGrid1", 1);
    Gui::click(m_editor, "cmdAdd");
    QCOMPARE(state(), u"UID:12 lbl_1,txtFormatData_1,lbl_2,cmbAlignmentData,lbl_8,txtStr 0000001"_qs);
    // Backspace in the width box leaves the field out of the sample
    auto* width = Gui::child<QLineEdit>(m_editor, "txtFormatData_1");
    width->setFocus();
    width->end(false);
    QTest::keyClick(width, Qt::Key_Backspace);
    QTest::keyClick(width, Qt::Key_Backspace);
    QCOMPARE(state().section(u' ', 0, 0) + state().section(u' ', 2), u"UID:"_qs);
    Gui::click(m_editor, "cmdSaveExit");
    QCOMPARE(prompter().texts(), QStringList{u"กรุณากรอกชื่อไฟล์รูปแบบ"_qs});
    QCOMPARE(prompter().last().icon, Prompter::Icon::Critical);
    // layouts that cannot be read leave the editor as it is; a picked one is read
    prompter().clear();
    QVERIFY(!m_editor->loadExportLayout(u"Gone"_qs));
    QVERIFY(!m_editor->loadExportLayout(QString())); // its file dialog cancelled
    QCOMPARE(prompter().texts().value(1),
             u"No layout file was chosen. The format editor keeps the layout it shows."_qs);
    QVERIFY2(prompter().texts().value(0).contains(u"Gone.ini"_qs),
             qPrintable(prompter().texts().join(u'\n')));
    QCOMPARE(state().section(u' ', 0, 0), u"UID:"_qs);
    prompter().queueFileName(m_session->paths().layoutFile(u"Three"_qs));
    QVERIFY(m_editor->loadExportLayout(QString()));
    QCOMPARE(prompter().fileAsks().value(1).filter, u"ini Files (*.ini)|*.ini"_qs);
    QCOMPARE(state().section(u' ', 0, 0), u"UID:8,Date:10,Event:2"_qs);
    // saved under the first listed name, which stays listed once
    const int listed = layouts()->count();
    Gui::type(m_editor, "txtFileName", u"Default"_qs);
    Gui::click(m_editor, "cmdSaveExit");
    QTRY_VERIFY(m_editor.isNull());
    QCOMPARE(saved(u"Default"_qs, 0, "Rows"), u"3"_qs);
    QCOMPARE(layouts()->count(), listed);
    QCOMPARE(layouts()->currentText(), u"Default"_qs);
}

QTEST_MAIN(TestExportWindow)
#include "tst_exportwindow.moc"
