#include "core/layouts/LayoutFile.h"
#include "core/platform/Cp874.h"
#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestPrompter.h"
#include "gui/export/ExportWindow.h"
#include "gui/platform/AppContext.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/SideBar.h"
#include "gui/shell/WindowRegistry.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOption>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QDate Today(2024, 5, 31);

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

// A layout of our own: the person right-aligned in five characters filled with "0", the date as
// yyyy/MM/dd, the time and the event, separated by ";".
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

} // namespace

// The export window inside a real main window. Every test starts from an empty data directory
// (the shipped layouts are installed on first listing), an empty settings store and a fresh
// main window whose clock says 2024/05/31.
class TestExportWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void captionsAndInitialState();
    void startUpShowsNoExportCommand();
    void preselection_data();
    void preselection();
    void unknownRememberedLayoutLoadsNothing();
    void exportWithoutFieldsIsRefused_data();
    void exportWithoutFieldsIsRefused();
    void editWithoutLayoutSaysSo();
    void optionButtonsEnableTheirControls_data();
    void optionButtonsEnableTheirControls();
    void choosingLayoutLoadsGridAndPreview();
    void clearKeepsHeader();
    void sideBarItemTwoPreparesTextExport();
    void sideBarItemsOneAndTwoSwapWindows();
    void textExportWritesChosenFile_data();
    void textExportWritesChosenFile();
    void dateRangeGoesThroughConVDate();
    void noDataForExport();
    void cancelledFileDialogWritesNothing();
    void formatNameRememberedAfterExport();
    void busyExportIgnoresSecondPress();
    void sideBarWaitsForRunningExport();
    void busyWindowRefusesToClose();
    void exportFailureIsShown();
    void exportRefusesTheLocalDatabase();
    void unloadClosesLocalConnection();

private:
    void makeMain();
    ExportWindow* openExport(int item);
    ExportWindow* openExportInTAMode();
    void addPunch(const QString& hid, const QString& fid, const QString& date, const QString& time,
                  const QString& status);
    void writeLayout(const QString& name, const QByteArray& bytes);
    template <class T> T* child(const char* name)
    {
        T* found = m_window ? m_window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
        if (!found)
            qWarning("no control %s", name);
        return found;
    }
    // Clicks the option button on its round indicator, as an operator does.
    void choose(const QString& name)
    {
        auto* option = m_window->findChild<QRadioButton*>(name);
        QVERIFY2(option, qPrintable(name));
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
        QVERIFY2(option->isChecked(), qPrintable(name));
    }
    QPushButton* button(const char* name) { return child<QPushButton>(name); }
    QComboBox* layouts() { return child<QComboBox>("cmbFileFormat"); }
    QString output() const { return m_dir->filePath(QStringLiteral("out/export.txt")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<TestPrompter> m_prompter;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<MainWindow> m_main;
    QPointer<ExportWindow> m_window;
};

void TestExportWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("out")));
    m_config = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config->path());
    ExportLayout::current() = ExportLayout();
    QVERIFY(ensureExportFormatDir(AppPaths(m_dir->path())));
    writeLayout(QStringLiteral("Week"), WeekLayout);
    QVERIFY(openLocalDatabase(AppPaths(m_dir->path())));
    makeMain();
}

void TestExportWindow::makeMain()
{
    m_prompter = std::make_unique<TestPrompter>();
    m_context = std::make_unique<AppContext>(AppContext{AppPaths(m_dir->path()), *m_prompter});
    m_context->today = [] {
        return Today;
    };
    m_main = std::make_unique<MainWindow>(*m_context);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
}

void TestExportWindow::cleanup()
{
    m_main.reset();
    m_context.reset();
    m_prompter.reset();
    Connections::close(Connections::LocalConnection);
    Connections::close(Connections::TimeAttendanceConnection);
    ExportLayout::current() = ExportLayout();
    m_config.reset();
    m_dir.reset();
}

void TestExportWindow::writeLayout(const QString& name, const QByteArray& bytes)
{
    QVERIFY(TestFiles::write(AppPaths(m_dir->path()).layoutFile(name), bytes));
}

void TestExportWindow::addPunch(const QString& hid, const QString& fid, const QString& date,
                                const QString& time, const QString& status)
{
    const Expected<QSqlQuery> done = executeStatement(
        Connections::get(Connections::LocalConnection),
        QStringLiteral("insert into tblexport(HID,FID,GID,wDate,wTime,Status) values(?,?,'1',?,?,?)"),
        {hid, fid, date, time, status});
    QVERIFY2(done.ok(), qPrintable(done.error()));
}

// Opens the export window through the real side bar.
ExportWindow* TestExportWindow::openExport(int item)
{
    SideBar& bar = m_main->sideBar();
    QTreeWidgetItem* entry = bar.itemWithValue(item);
    if (!entry)
        return nullptr;
    bar.scrollToItem(entry);
    QTest::mouseClick(bar.viewport(), Qt::LeftButton, {}, bar.visualItemRect(entry).center());
    m_window = qobject_cast<ExportWindow*>(m_main->windows().find(WindowId::Export));
    return m_window;
}

// As the opener of an export into the time-attendance database does: TAMode before the load.
ExportWindow* TestExportWindow::openExportInTAMode()
{
    auto* window = m_main->windows().window<ExportWindow>(WindowId::Export);
    window->setTAMode(true);
    m_main->windows().open(WindowId::Export);
    m_window = window;
    return m_window;
}

void TestExportWindow::captionsAndInitialState()
{
    QVERIFY(openExport(2));
    QCOMPARE(child<QRadioButton>("OptSearch_0")->text(), QStringLiteral("ทั้งหมด"));
    QCOMPARE(child<QRadioButton>("OptSearch_1")->text(), QStringLiteral("เลือกรหัส"));
    QCOMPARE(button("cmdSearch")->text(), QStringLiteral("เลือก..."));
    QCOMPARE(child<QRadioButton>("optDataType_0")->text(), QStringLiteral("ข้อมูลดิบ"));
    QCOMPARE(child<QRadioButton>("optDataType_1")->text(), QStringLiteral("ข้อมูลกรอง"));
    QCOMPARE(child<QRadioButton>("Option1")->text(), QStringLiteral("ทุกวัน"));
    QCOMPARE(child<QRadioButton>("Option2")->text(), QStringLiteral("เลือกวัน"));
    QCOMPARE(child<QRadioButton>("Option3")->text(), QStringLiteral("ทั้งหมด"));
    QCOMPARE(child<QRadioButton>("Option4")->text(), QStringLiteral("เลือกเครื่อง"));
    QCOMPARE(button("XPButton1")->text(), QStringLiteral("เลือก..."));
    QCOMPARE(button("cmdNew")->toolTip(), QStringLiteral("New format export"));
    QCOMPARE(button("cmdEdit")->toolTip(), QStringLiteral("Edit format export"));
    QCOMPARE(button("cmdExport")->text(), QStringLiteral("ส่งออกเป็นไฟล์"));
    QCOMPARE(button("cmdQROSQLExport")->text(), QStringLiteral("ส่งออกเป็นไฟล์"));
    QCOMPARE(button("cmdExportTA")->text(), QStringLiteral("ส่งออกไปยัง Horavant Office"));
    QCOMPARE(button("cmdQORSQLtoTA")->text(), QStringLiteral("ส่งออกไปยัง Horavant Office"));
    QCOMPARE(button("cmdClear")->text(), QStringLiteral("Clear"));
    QCOMPARE(button("cmdCancel")->text(), QStringLiteral("ออก"));
    QVERIFY(m_window->findChild<QLabel*>(QStringLiteral("lblFormat")));
    QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("lblFormat"))->text(), QStringLiteral("รูปแบบ"));

    // the first choice of each pair, and the controls of the second ones disabled
    for (const char* on : {"OptSearch_0", "optDataType_0", "Option1", "Option3"})
        QVERIFY2(child<QRadioButton>(on)->isChecked(), on);
    for (const char* off : {"txtEmployee", "cmdSearch", "dtpExport_0", "dtpExport_1", "txtFID", "XPButton1"})
        QVERIFY2(!child<QWidget>(off)->isEnabled(), off);
    QVERIFY(!child<QProgressBar>("ProgressBar1")->isVisible());
    // the format editor of the main window is attached: New and Edit work
    QVERIFY(button("cmdNew")->isEnabled());
    QVERIFY(button("cmdEdit")->isEnabled());
    // both pickers start at today
    QCOMPARE(child<QDateEdit>("dtpExport_0")->date(), Today);
    QCOMPARE(child<QDateEdit>("dtpExport_1")->date(), Today);
    // the grid's header row
    QCOMPARE(m_window->grid().row(0).field, QStringLiteral("ฟิลด์ข้อมูล"));
    QCOMPARE(m_window->grid().row(0).width, QStringLiteral("ความกว้าง"));
    QCOMPARE(child<QTableView>("MSHFlexGrid2")->model(), &m_window->grid());
}

void TestExportWindow::startUpShowsNoExportCommand()
{
    // as the program starts: the export window opened by no side-bar item
    m_window = qobject_cast<ExportWindow*>(m_main->windows().open(WindowId::Export));
    QVERIFY(m_window);
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Export Text"));
    QVERIFY(!m_window->isTimeAttendanceMode());
    for (const char* name : {"cmdExport", "cmdQROSQLExport", "cmdExportTA", "cmdQORSQLtoTA"})
        QVERIFY2(button(name)->isHidden(), name);
    QCOMPARE(layouts()->currentText(), QStringLiteral("Default"));
    QVERIFY(m_prompter->shown().isEmpty());
    // nothing else was opened at start but the format editor, loaded hidden with the layout
    QCOMPARE(m_main->mdiArea().subWindowList().size(), 2);
    QWidget* editor = m_main->windows().find(WindowId::EditExport);
    QVERIFY(editor && !editor->isVisible());
}

void TestExportWindow::preselection_data()
{
    QTest::addColumn<QString>("formatName"); // "-" leaves the settings file without the key
    QTest::addColumn<bool>("taMode");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("rows");
    QTest::newRow("no settings: Default") << "-" << false << "Default" << 5;
    QTest::newRow("remembered Week") << "Week" << false << "Week" << 4;
    QTest::newRow("empty name: first entry") << "" << false << "Default" << 5;
    QTest::newRow("TAMode: TA_format") << "Week" << true << "TA_format" << 9;
}

void TestExportWindow::preselection()
{
    QFETCH(QString, formatName);
    QFETCH(bool, taMode);
    QFETCH(QString, selected);
    QFETCH(int, rows);
    if (formatName != u"-")
        QVERIFY(writeIniValue(u"text"_qs, u"FormatName"_qs, formatName, m_context->paths.settingsFile()));
    QVERIFY(taMode ? openExportInTAMode() : openExport(2));
    QCOMPARE(layouts()->count(), 3);
    QCOMPARE(layouts()->currentText(), selected);
    QCOMPARE(m_window->grid().fieldCount(), rows);
    QCOMPARE(ExportLayout::current().path, m_context->paths.layoutFile(selected));
    QVERIFY(!child<QLineEdit>("txtSimpleExport")->text().isEmpty());
    QVERIFY2(m_prompter->shown().isEmpty(), qPrintable(m_prompter->texts().join(u'\n')));
}

void TestExportWindow::unknownRememberedLayoutLoadsNothing()
{
    QVERIFY(writeIniValue(u"text"_qs, u"FormatName"_qs, u"Gone"_qs, m_context->paths.settingsFile()));
    QVERIFY(openExport(2));
    QCOMPARE(layouts()->count(), 3);
    QCOMPARE(layouts()->currentIndex(), -1);
    QCOMPARE(m_window->grid().rowCount(), 1);
    QVERIFY(child<QLineEdit>("txtSimpleExport")->text().isEmpty());
    QVERIFY(ExportLayout::current().path.isEmpty());
}

void TestExportWindow::exportWithoutFieldsIsRefused_data()
{
    QTest::addColumn<bool>("cleared"); // false: the remembered layout is not listed
    QTest::newRow("nothing selected") << false;
    QTest::newRow("grid cleared") << true;
}

void TestExportWindow::exportWithoutFieldsIsRefused()
{
    QFETCH(bool, cleared);
    addPunch(u"7"_qs, u"1"_qs, u"2024/05/30"_qs, u"08:00:00"_qs, u"1"_qs);
    QVERIFY(TestFiles::write(output(), "earlier export\r\n"));
    const QString settings = m_context->paths.settingsFile();
    if (!cleared)
        QVERIFY(writeIniValue(u"text"_qs, u"FormatName"_qs, u"Gone"_qs, settings));
    QVERIFY(openExport(2));
    if (cleared)
        QTest::mouseClick(button("cmdClear"), Qt::LeftButton);
    const QString remembered = readIniValue(u"text"_qs, u"FormatName"_qs, u"(none)"_qs, settings);
    m_prompter->queueFileName(output());
    QTest::mouseClick(button("cmdExport"), Qt::LeftButton);
    QVERIFY(m_prompter->fileAsks().isEmpty());
    QCOMPARE(m_prompter->shown().size(), 1);
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Critical);
    QVERIFY2(m_prompter->last().text.contains(u"no fields"_qs), qPrintable(m_prompter->last().text));
    QCOMPARE(TestFiles::read(output()), QByteArray("earlier export\r\n"));
    QVERIFY(!QFile::exists(m_context->paths.stagingFile()));
    QCOMPARE(readIniValue(u"text"_qs, u"FormatName"_qs, u"(none)"_qs, settings), remembered);
    QVERIFY(button("cmdExport")->isEnabled());
}

void TestExportWindow::editWithoutLayoutSaysSo()
{
    QVERIFY(writeIniValue(u"text"_qs, u"FormatName"_qs, u"Gone"_qs, m_context->paths.settingsFile()));
    QVERIFY(openExport(2));
    QCOMPARE(layouts()->currentIndex(), -1);
    QTest::mouseClick(button("cmdEdit"), Qt::LeftButton);
    QVERIFY(m_prompter->fileAsks().isEmpty());
    QCOMPARE(m_prompter->shown().size(), 1);
    QVERIFY2(m_prompter->last().text.startsWith(u"No layout is selected"_qs),
             qPrintable(m_prompter->last().text));
    QWidget* editor = m_main->windows().find(WindowId::EditExport);
    QVERIFY(!editor || !editor->isVisible());
}

void TestExportWindow::optionButtonsEnableTheirControls_data()
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

void TestExportWindow::optionButtonsEnableTheirControls()
{
    QFETCH(QString, second);
    QFETCH(QString, first);
    QFETCH(QStringList, controls);
    QVERIFY(openExport(2));
    const auto control = [this](const QString& name) {
        return m_window->findChild<QWidget*>(name);
    };
    choose(second);
    for (const QString& name : controls)
        QVERIFY2(control(name)->isEnabled(), qPrintable(name));
    choose(first);
    QVERIFY(!m_window->findChild<QRadioButton*>(second)->isChecked());
    for (const QString& name : controls)
        QVERIFY2(!control(name)->isEnabled(), qPrintable(name));
}

void TestExportWindow::choosingLayoutLoadsGridAndPreview()
{
    QVERIFY(openExport(2));
    QCOMPARE(layouts()->currentText(), QStringLiteral("Default"));
    // the operator picks the entry below TA_format in the list
    layouts()->setFocus();
    QTest::keyClick(layouts(), Qt::Key_Down);
    QTest::keyClick(layouts(), Qt::Key_Down);
    QCOMPARE(layouts()->currentText(), QStringLiteral("Week"));
    QCOMPARE(m_window->grid().fieldCount(), 4);
    QCOMPARE(m_window->grid().row(1), (LayoutRow{u"UID"_qs, u"5"_qs}));
    QCOMPARE(m_window->grid().row(4), (LayoutRow{u"Event"_qs, u"1"_qs}));
    QCOMPARE(ExportLayout::current().delimiter, QStringLiteral(";"));
    QCOMPARE(child<QLineEdit>("txtSimpleExport")->text(), QStringLiteral("00000;yyyy/MM/dd;HH:mm;0"));
}

void TestExportWindow::clearKeepsHeader()
{
    QVERIFY(openExport(2));
    QCOMPARE(m_window->grid().fieldCount(), 5);
    const QString preview = child<QLineEdit>("txtSimpleExport")->text();
    QTest::mouseClick(button("cmdClear"), Qt::LeftButton);
    QCOMPARE(m_window->grid().rowCount(), 1);
    QCOMPARE(m_window->grid().row(0).field, QStringLiteral("ฟิลด์ข้อมูล"));
    QCOMPARE(child<QLineEdit>("txtSimpleExport")->text(), preview);
}

void TestExportWindow::sideBarItemTwoPreparesTextExport()
{
    QVERIFY(openExport(2));
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Export to text"));
    QCOMPARE(child<QLabel>("Label4")->text(), QStringLiteral("Export to text"));
    QVERIFY(button("cmdExport")->isVisible());
    QVERIFY(button("cmdExportTA")->isHidden());
    QVERIFY(button("cmdQROSQLExport")->isHidden());
    QVERIFY(button("cmdQORSQLtoTA")->isHidden());
    QVERIFY(child<QRadioButton>("optDataType_0")->isEnabled());
    QVERIFY(child<QRadioButton>("optDataType_1")->isEnabled());
    QVERIFY(layouts()->isEnabled());
    QVERIFY(!m_window->isTimeAttendanceMode());
}

void TestExportWindow::sideBarItemsOneAndTwoSwapWindows()
{
    QVERIFY(openExport(2));
    QPointer<ExportWindow> first = m_window;
    QVERIFY(openExport(1) == nullptr);
    QTRY_VERIFY(first.isNull());
    QWidget* connection = m_main->windows().find(WindowId::Connect);
    QVERIFY(connection && connection->isVisible());
    QCOMPARE(connection->objectName(), QStringLiteral("TerminalWindow"));
    QVERIFY(Connections::get(Connections::LocalConnection).isOpen());
    QVERIFY(openExport(2));
    QVERIFY(m_window != first);
    QVERIFY(m_window->isVisible());
    QVERIFY(!m_main->windows().find(WindowId::Connect));
    QCOMPARE(m_main->mdiArea().subWindowList().size(), 1);
    QVERIFY2(m_prompter->shown().isEmpty(), qPrintable(m_prompter->texts().join(u'\n')));
}

void TestExportWindow::textExportWritesChosenFile_data()
{
    QTest::addColumn<bool>("filtered");
    QTest::addColumn<QString>("employees"); // empty: all employees
    QTest::addColumn<QByteArray>("expected");
    // the work table is read in order of person (as text), date and time
    QTest::newRow("raw, all") << false << ""
                              << QByteArray("00012;2024/05/31;09:15;2\r\n00007;2024/05/30;08:00;0\r\n"
                                            "00007;2024/05/30;17:00;0\r\n");
    QTest::newRow("filtered, all") << true << ""
                                   << QByteArray("00012;2024/05/31;09:15;O\r\n00007;2024/05/30;08:00;I\r\n"
                                                 "00007;2024/05/30;17:00;O\r\n");
    QTest::newRow("raw, employee 12") << false << "12" << QByteArray("00012;2024/05/31;09:15;2\r\n");
}

void TestExportWindow::textExportWritesChosenFile()
{
    QFETCH(bool, filtered);
    QFETCH(QString, employees);
    QFETCH(QByteArray, expected);
    addPunch(u"7"_qs, u"1"_qs, u"2024/05/30"_qs, u"17:00:00"_qs, u"0"_qs);
    addPunch(u"7"_qs, u"1"_qs, u"2024/05/30"_qs, u"08:00:00"_qs, u"0"_qs);
    addPunch(u"12"_qs, u"2"_qs, u"2024/05/31"_qs, u"09:15:00"_qs, u"2"_qs);
    QVERIFY(writeIniValue(u"text"_qs, u"FormatName"_qs, u"Week"_qs, m_context->paths.settingsFile()));
    QVERIFY(openExport(2));
    QCOMPARE(layouts()->currentText(), QStringLiteral("Week"));
    if (filtered)
        choose(u"optDataType_1"_qs);
    if (!employees.isEmpty()) {
        choose(u"OptSearch_1"_qs);
        child<QLineEdit>("txtEmployee")->setText(employees);
    }
    m_prompter->queueFileName(output());
    QTest::mouseClick(button("cmdExport"), Qt::LeftButton);
    QCOMPARE(m_prompter->fileAsks().size(), 1);
    QCOMPARE(m_prompter->fileAsks().constFirst().kind, Prompter::FileDialog::Save);
    QCOMPARE(m_prompter->fileAsks().constFirst().filter,
             QStringLiteral("Text Files (*.Txt)|*.Txt|Excle Files (*.Xls)|*.Xls|All Files (*.*)|*.*"));
    QCOMPARE(m_prompter->texts(), QStringList{u"Export successfully"_qs});
    QCOMPARE(m_prompter->last().title, m_context->title);
    QCOMPARE(TestFiles::read(output()), expected);
    QVERIFY(!QFile::exists(m_context->paths.stagingFile()));
    QVERIFY(!child<QProgressBar>("ProgressBar1")->isVisible());
    QVERIFY(button("cmdExport")->isEnabled());
}

void TestExportWindow::dateRangeGoesThroughConVDate()
{
    addPunch(u"7"_qs, u"1"_qs, u"2024/05/29"_qs, u"08:00:00"_qs, u"1"_qs);
    addPunch(u"7"_qs, u"1"_qs, u"2024/05/30"_qs, u"08:00:00"_qs, u"1"_qs);
    addPunch(u"7"_qs, u"1"_qs, u"2024/05/31"_qs, u"08:00:00"_qs, u"1"_qs);
    QVERIFY(writeIniValue(u"text"_qs, u"FormatName"_qs, u"Week"_qs, m_context->paths.settingsFile()));
    QVERIFY(openExport(2));
    choose(u"Option2"_qs);
    child<QDateEdit>("dtpExport_0")->setDate(QDate(2024, 5, 30));
    m_prompter->queueFileName(output());
    QTest::mouseClick(button("cmdExport"), Qt::LeftButton);
    QCOMPARE(TestFiles::read(output()),
             QByteArray("00007;2024/05/30;08:00;1\r\n00007;2024/05/31;08:00;1\r\n"));
    // every day again: the dates are ignored, though the pickers still hold them
    choose(u"Option1"_qs);
    m_prompter->queueFileName(output());
    QTest::mouseClick(button("cmdExport"), Qt::LeftButton);
    QCOMPARE(TestFiles::read(output()).count('\n'), 3);
}

void TestExportWindow::noDataForExport()
{
    QVERIFY(openExport(2));
    m_prompter->queueFileName(output());
    QTest::mouseClick(button("cmdExport"), Qt::LeftButton);
    QCOMPARE(m_prompter->texts(), QStringList{u" No data for export !!!"_qs});
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::None);
    QVERIFY(!QFile::exists(output()));
    QVERIFY(!child<QProgressBar>("ProgressBar1")->isVisible());
    QVERIFY(child<QLineEdit>("txtSimpleExport")->isVisible());
}

void TestExportWindow::cancelledFileDialogWritesNothing()
{
    addPunch(u"7"_qs, u"1"_qs, u"2024/05/30"_qs, u"08:00:00"_qs, u"1"_qs);
    QVERIFY(openExport(2));
    QTest::mouseClick(button("cmdExport"), Qt::LeftButton); // no file queued: cancelled
    QCOMPARE(m_prompter->fileAsks().size(), 1);
    QVERIFY(m_prompter->shown().isEmpty());
    QVERIFY(QDir(m_dir->filePath(u"out"_qs)).isEmpty());
    QVERIFY(!QFile::exists(m_context->paths.stagingFile()));
}

void TestExportWindow::formatNameRememberedAfterExport()
{
    addPunch(u"7"_qs, u"1"_qs, u"2024/05/30"_qs, u"08:00:00"_qs, u"1"_qs);
    QVERIFY(openExport(2));
    const QString settings = m_context->paths.settingsFile();
    QCOMPARE(readIniValue(u"text"_qs, u"FormatName"_qs, u"(none)"_qs, settings), QStringLiteral("(none)"));
    layouts()->setFocus();
    QTest::keyClick(layouts(), Qt::Key_End);
    QCOMPARE(layouts()->currentText(), QStringLiteral("Week"));
    // choosing alone remembers nothing
    QCOMPARE(readIniValue(u"text"_qs, u"FormatName"_qs, u"(none)"_qs, settings), QStringLiteral("(none)"));
    m_prompter->queueFileName(output());
    QTest::mouseClick(button("cmdExport"), Qt::LeftButton);
    QCOMPARE(readIniValue(u"text"_qs, u"FormatName"_qs, u"(none)"_qs, settings), QStringLiteral("Week"));

    // the next window preselects it
    m_main.reset();
    makeMain();
    QVERIFY(openExport(2));
    QCOMPARE(layouts()->currentText(), QStringLiteral("Week"));
}

void TestExportWindow::busyExportIgnoresSecondPress()
{
    for (int i = 0; i < 50; ++i)
        addPunch(QString::number(i), u"1"_qs, u"2024/05/30"_qs, u"08:00:00"_qs, u"1"_qs);
    QVERIFY(openExport(2));
    QProgressBar* bar = child<QProgressBar>("ProgressBar1");
    QSignalSpy moved(bar, &QProgressBar::valueChanged);
    PaintCounter painted;
    bar->installEventFilter(&painted);
    bool exporting = false;
    bool enabledWhileRunning = true;
    bool barShown = false;
    // runs inside the export, when it first handles the window's events
    QTimer::singleShot(0, m_window, [&] {
        exporting = m_window->isExporting();
        enabledWhileRunning = button("cmdExport")->isEnabled();
        barShown = bar->isVisible();
        m_window->findChild<QPushButton*>(u"cmdExport"_qs)->click(); // does nothing
    });
    m_prompter->queueFileName(output());
    QTest::mouseClick(button("cmdExport"), Qt::LeftButton);
    QVERIFY(exporting);
    QVERIFY(!enabledWhileRunning);
    QVERIFY(barShown);
    QCOMPARE(m_prompter->fileAsks().size(), 1);
    QCOMPARE(m_prompter->texts(), QStringList{u"Export successfully"_qs});
    QVERIFY(moved.size() > 2);
    QCOMPARE(moved.last().constFirst().toInt(), 100);
    // moved with every row, but not painted for every row: that would cost more than the rows
    QVERIFY2(painted.count < moved.size() / 2, qPrintable(QString::number(painted.count)));
    QCOMPARE(TestFiles::read(output()).count('\n'), 50);
    QVERIFY(button("cmdExport")->isEnabled());
    QVERIFY(!m_window->isExporting());
}

void TestExportWindow::sideBarWaitsForRunningExport()
{
    for (int i = 0; i < 50; ++i)
        addPunch(QString::number(i), u"1"_qs, u"2024/05/30"_qs, u"08:00:00"_qs, u"1"_qs);
    QVERIFY(openExport(2));
    // the side bar's terminal item, pressed while the export handles the window's events
    QTimer::singleShot(0, m_window, [this] { openExport(1); });
    m_prompter->queueFileName(output());
    QTest::mouseClick(button("cmdExport"), Qt::LeftButton);
    QCOMPARE(m_prompter->texts(),
             (QStringList{u"The export window is still working. Choose again when it has "
                          "finished."_qs,
                          u"Export successfully"_qs}));
    QCOMPARE(TestFiles::read(output()).count('\n'), 50);
    QVERIFY(!m_main->windows().find(WindowId::Connect));
    // the local database was not reopened under the run, and is free for the next one
    addPunch(u"51"_qs, u"1"_qs, u"2024/05/30"_qs, u"08:00:00"_qs, u"1"_qs);
    openExport(1);
    QVERIFY(m_main->windows().find(WindowId::Connect));
}

void TestExportWindow::busyWindowRefusesToClose()
{
    for (int i = 0; i < 50; ++i)
        addPunch(QString::number(i), u"1"_qs, u"2024/05/30"_qs, u"08:00:00"_qs, u"1"_qs);
    QVERIFY(openExport(2));
    auto* frame = qobject_cast<QMdiSubWindow*>(m_window->parentWidget());
    QVERIFY(frame);
    bool ran = false;
    // inside the export, when it first handles the window's events: the frame's close box, then Exit
    QTimer::singleShot(0, m_window, [&] {
        ran = m_window->isExporting();
        QStyleOptionTitleBar bar;
        bar.initFrom(frame);
        bar.titleBarFlags = frame->windowFlags();
        bar.subControls = QStyle::SC_All;
        bar.rect =
            QRect(0, 0, frame->width(), frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, frame));
        const QPoint closeBox =
            frame->style()
                ->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarCloseButton, frame)
                .center();
        QTest::mouseMove(frame, closeBox);
        QTest::mouseClick(frame, Qt::LeftButton, {}, closeBox);
        QTest::mouseClick(button("cmdCancel"), Qt::LeftButton);
    });
    m_prompter->queueFileName(output());
    QTest::mouseClick(button("cmdExport"), Qt::LeftButton);
    QVERIFY(ran);
    const QString stillRunning = u"An export is still running. Close the window when it has finished."_qs;
    QCOMPARE(m_prompter->texts(), (QStringList{stillRunning, stillRunning, u"Export successfully"_qs}));
    QCOMPARE(TestFiles::read(output()).count('\n'), 50);
    QVERIFY(m_window && m_window->isVisible());
    QCOMPARE(m_main->windows().find(WindowId::Export), m_window.data());
    // the export has ended: Exit closes the window and its frame
    QPointer<QMdiSubWindow> watch(frame);
    QTest::mouseClick(button("cmdCancel"), Qt::LeftButton);
    QTRY_VERIFY(m_window.isNull());
    QTRY_VERIFY(watch.isNull());
    QVERIFY(!m_main->windows().find(WindowId::Export));
}

void TestExportWindow::exportFailureIsShown()
{
    addPunch(u"7"_qs, u"1"_qs, u"2024/05/30"_qs, u"08:00:00"_qs, u"1"_qs);
    QVERIFY(TestFiles::write(output(), "earlier export\r\n"));
    QVERIFY(openExport(2));
    QVERIFY(executeStatement(Connections::get(Connections::LocalConnection), u"drop table tblExport1"_qs));
    m_prompter->queueFileName(output());
    QTest::mouseClick(button("cmdExport"), Qt::LeftButton);
    QCOMPARE(m_prompter->shown().size(), 1);
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Critical);
    QVERIFY2(m_prompter->last().text.contains(u"tblExport1"_qs, Qt::CaseInsensitive),
             qPrintable(m_prompter->last().text));
    QCOMPARE(TestFiles::read(output()), QByteArray("earlier export\r\n"));
    // a failed export is not remembered
    QCOMPARE(readIniValue(u"text"_qs, u"FormatName"_qs, u"(none)"_qs, m_context->paths.settingsFile()),
             QStringLiteral("(none)"));
    QVERIFY(button("cmdExport")->isEnabled());
}

void TestExportWindow::exportRefusesTheLocalDatabase()
{
    addPunch(u"7"_qs, u"1"_qs, u"2024/05/30"_qs, u"08:00:00"_qs, u"1"_qs);
    QVERIFY(openExport(2));
    const QString database = m_context->paths.localDatabase();
    const QByteArray before = TestFiles::read(database);
    m_prompter->queueFileName(database);
    QTest::mouseClick(button("cmdExport"), Qt::LeftButton);
    QCOMPARE(m_prompter->shown().size(), 1);
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Critical);
    QVERIFY2(m_prompter->last().text.contains(u"it is the local database"_qs),
             qPrintable(m_prompter->last().text));
    QCOMPARE(TestFiles::read(database), before);
}

void TestExportWindow::unloadClosesLocalConnection()
{
    QVERIFY(openExport(2));
    QVERIFY(Connections::get(Connections::LocalConnection).isOpen());
    QTest::mouseClick(button("cmdCancel"), Qt::LeftButton);
    QTRY_VERIFY(m_window.isNull());
    QVERIFY(!m_main->windows().find(WindowId::Export));
    QVERIFY(!Connections::get(Connections::LocalConnection).isValid());
}

QTEST_MAIN(TestExportWindow)
#include "tst_exportwindow.moc"
