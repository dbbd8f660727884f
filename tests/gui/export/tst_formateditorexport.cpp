#include "core/layouts/LayoutFile.h"
#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestPrompter.h"
#include "gui/export/ExportWindow.h"
#include "gui/layouts/FormatEditor.h"
#include "gui/platform/AppContext.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/SideBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

const QDate Today(2024, 5, 31);

// Two fields, comma-separated: the person in six characters, right-aligned and filled with
// "0", and the terminal in three, left-aligned and filled with "*".
const QByteArray TwoFields =
    "[ZUNDataView]\r\nRows=2\r\nDelimiter=,\r\nViewName=Pair\r\n"
    "[ZUNData\\ROW\\1]\r\nTextMatrix=UID\r\nFixedWidth=6\r\nAlignmentData=1\r\n"
    "spData=0\r\nFormatDateType=0\r\nFormatTimeType=0\r\nFormatYear=EN\r\n"
    "IN=1\r\nOUT=2\r\n"
    "[ZUNData\\ROW\\2]\r\nTextMatrix=Kestrum ID\r\nFixedWidth=3\r\nAlignmentData=0\r\n"
    "spData=*\r\nFormatDateType=0\r\nFormatTimeType=0\r\nFormatYear=EN\r\n"
    "IN=1\r\nOUT=2\r\n";

} // namespace

// The format editor as the export window opens it, inside a real main window: loaded hidden
// with the export window, shown by New and Edit, and saving layouts the export window then uses.
class TestGuiFormatEditorExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void editorIsLoadedHiddenWithTheExportWindow();
    void newAfterCloseStartsEmpty();
    void editLoadsTheListedLayout();
    void savedNewLayoutIsListedAndLoaded();
    void builtLayoutExportsWhatItsPreviewPromised();
    void leavingWithoutSaveKeepsTheExport_data();
    void leavingWithoutSaveKeepsTheExport();
    void newThenCancelKeepsInOnly();
    void savedNameIsListedAndSelected_data();
    void savedNameIsListedAndSelected();

private:
    template <typename T> T* in(QWidget* w, const char* name)
    {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
    // The layout remembered under FormatName is preselected.
    void startUp(const QString& layout = QStringLiteral("Pair"));
    void openExport();
    FormatEditor* editor()
    {
        return qobject_cast<FormatEditor*>(m_main->windows().find(WindowId::EditExport));
    }
    void clickRow(QTableView* view, int r)
    {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(r, 0)).center());
    }
    void addField(FormatEditor* e, const char* name);
    // Shows the export window's text-export button as side-bar item 2 does, leaving the editor.
    void showTextExport()
    {
        QVERIFY(m_main->windows().open(WindowId::Export, 2) == m_export);
        QVERIFY(in<QPushButton>(m_export, "cmdExport")->isVisible());
    }
    // Exports the local punches to a file and returns its bytes.
    QByteArray exportToFile(const char* fileName);
    void setName(FormatEditor* e, const QString& name)
    {
        QLineEdit* box = in<QLineEdit>(e, "txtFileName");
        box->selectAll();
        QTest::keyClicks(box, name);
    }
    void addPunch(const char* hid, const char* fid, const char* date, const char* time, const char* status);
    QStringList exportGridNames()
    {
        QStringList names;
        for (const LayoutRow& r : m_export->grid().fieldRows())
            names.append(r.field);
        return names;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<TestPrompter> m_prompter;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<MainWindow> m_main;
    QPointer<ExportWindow> m_export;
};

void TestGuiFormatEditorExport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_config = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config->path());
    ExportLayout::current() = ExportLayout();
    const AppPaths paths(m_dir->path());
    QVERIFY(ensureExportFormatDir(paths));
    QVERIFY(TestFiles::write(paths.layoutFile(QStringLiteral("Pair")), TwoFields));
    QVERIFY(writeIniValue(QStringLiteral("text"), QStringLiteral("FormatName"), QStringLiteral("Pair"),
                          paths.settingsFile()));
    QVERIFY(openLocalDatabase(paths));
    m_prompter = std::make_unique<TestPrompter>();
    m_context = std::make_unique<AppContext>(AppContext{paths, *m_prompter});
    m_context->today = [] {
        return Today;
    };
    m_main = std::make_unique<MainWindow>(*m_context);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
}

void TestGuiFormatEditorExport::cleanup()
{
    m_main.reset();
    m_context.reset();
    m_prompter.reset();
    Connections::close(Connections::LocalConnection);
    ExportLayout::current() = ExportLayout();
    m_config.reset();
    m_dir.reset();
}

void TestGuiFormatEditorExport::startUp(const QString& layout)
{
    QVERIFY(writeIniValue(QStringLiteral("text"), QStringLiteral("FormatName"), layout,
                          m_context->paths.settingsFile()));
    // as the program starts: the export window is the first window, opened by no side-bar item
    m_export = qobject_cast<ExportWindow*>(m_main->windows().open(WindowId::Export));
    QVERIFY(m_export);
    QCOMPARE(in<QComboBox>(m_export, "cmbFileFormat")->currentText(), layout);
}

void TestGuiFormatEditorExport::openExport()
{
    SideBar& bar = m_main->sideBar();
    QTreeWidgetItem* entry = bar.itemWithValue(2);
    QVERIFY(entry);
    bar.scrollToItem(entry);
    QTest::mouseClick(bar.viewport(), Qt::LeftButton, {}, bar.visualItemRect(entry).center());
    m_export = qobject_cast<ExportWindow*>(m_main->windows().find(WindowId::Export));
    QVERIFY(m_export);
    QCOMPARE(in<QComboBox>(m_export, "cmbFileFormat")->currentText(), QStringLiteral("Pair"));
}

void TestGuiFormatEditorExport::addField(FormatEditor* e, const char* name)
{
    const QList<LayoutRow>& fields = ExportFieldList::availableFields();
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].field == QLatin1String(name)) {
            clickRow(in<QTableView>(e, "MSHFlexGrid1"), i + 1);
            QTest::mouseClick(in<QPushButton>(e, "cmdAdd"), Qt::LeftButton);
            return;
        }
    QFAIL(name);
}

void TestGuiFormatEditorExport::addPunch(const char* hid, const char* fid, const char* date, const char* time,
                                         const char* status)
{
    const Expected<QSqlQuery> done = executeStatement(
        Connections::get(Connections::LocalConnection),
        QStringLiteral("insert into tblexport(HID,FID,GID,wDate,wTime,Status) values(?,?,'1',?,?,?)"),
        {QString::fromLatin1(hid), QString::fromLatin1(fid), QString::fromLatin1(date),
         QString::fromLatin1(time), QString::fromLatin1(status)});
    QVERIFY2(done.ok(), qPrintable(done.error()));
}

QByteArray TestGuiFormatEditorExport::exportToFile(const char* fileName)
{
    const QString output = m_dir->filePath(QString::fromLatin1(fileName));
    m_prompter->clear();
    m_prompter->queueFileName(output);
    QTest::mouseClick(in<QPushButton>(m_export, "cmdExport"), Qt::LeftButton);
    if (m_prompter->texts() != QStringList{QStringLiteral("Export successfully")})
        return "not exported: " + m_prompter->texts().join(u'|').toUtf8();
    return TestFiles::read(output);
}

void TestGuiFormatEditorExport::editorIsLoadedHiddenWithTheExportWindow()
{
    startUp();
    FormatEditor* e = editor();
    QVERIFY(e);
    QVERIFY(!e->isVisible());
    QCOMPARE(in<QLineEdit>(e, "txtFileName")->text(), QStringLiteral("Pair"));
    QCOMPARE(e->exportFields().fieldCount(), 2);

    // New shows it with what it holds: the preselected layout, its rows and its name
    QTest::mouseClick(in<QPushButton>(m_export, "cmdNew"), Qt::LeftButton);
    QCOMPARE(editor(), e);
    QVERIFY(e->isVisible());
    QCOMPARE(e->editorMode(), FormatEditor::NewLayout);
    QCOMPARE(in<QLineEdit>(e, "txtFileName")->text(), QStringLiteral("Pair"));
    QCOMPARE(e->exportFields().fieldCount(), 2);
    QCOMPARE(in<QRadioButton>(e, "Option1")->text(), QStringLiteral("2024"));
    QCOMPARE(in<QRadioButton>(e, "Option2")->text(), QStringLiteral("2567"));
}

void TestGuiFormatEditorExport::newAfterCloseStartsEmpty()
{
    startUp();
    QTest::mouseClick(in<QPushButton>(m_export, "cmdNew"), Qt::LeftButton);
    QTest::mouseClick(in<QPushButton>(editor(), "cmdCancel"), Qt::LeftButton);
    QTRY_VERIFY(!editor());
    QTest::mouseClick(in<QPushButton>(m_export, "cmdNew"), Qt::LeftButton);
    FormatEditor* e = editor();
    QVERIFY(e);
    QVERIFY(e->isVisible());
    QCOMPARE(e->exportFields().fieldCount(), 0);
    QCOMPARE(in<QLineEdit>(e, "txtFileName")->text(), QString());
}

void TestGuiFormatEditorExport::editLoadsTheListedLayout()
{
    startUp();
    QTest::mouseClick(in<QPushButton>(m_export, "cmdNew"), Qt::LeftButton);
    QTest::mouseClick(in<QPushButton>(editor(), "cmdCancel"), Qt::LeftButton);
    QTRY_VERIFY(!editor());
    QTest::mouseClick(in<QPushButton>(m_export, "cmdEdit"), Qt::LeftButton);
    FormatEditor* e = editor();
    QVERIFY(e);
    QVERIFY(e->isVisible());
    QCOMPARE(e->editorMode(), FormatEditor::EditLayout);
    QCOMPARE(in<QLineEdit>(e, "txtFileName")->text(), QStringLiteral("Pair"));
    QCOMPARE(e->exportFields().fieldCount(), 2);
    QCOMPARE(in<QLineEdit>(e, "txtSimpleExport")->text(), QStringLiteral("000000,02"));
}

void TestGuiFormatEditorExport::savedNewLayoutIsListedAndLoaded()
{
    startUp();
    QComboBox* list = in<QComboBox>(m_export, "cmbFileFormat");
    const int listed = list->count();
    QTest::mouseClick(in<QPushButton>(m_export, "cmdNew"), Qt::LeftButton);
    FormatEditor* e = editor();
    clickRow(in<QTableView>(e, "MSHFlexGrid2"), 2);
    QTest::mouseClick(in<QPushButton>(e, "cmdDelete"), Qt::LeftButton);
    addField(e, "Time");
    QLineEdit* name = in<QLineEdit>(e, "txtFileName");
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Week"));
    QTest::mouseClick(in<QPushButton>(e, "cmdSaveExit"), Qt::LeftButton);
    QTRY_VERIFY(!editor());
    QCOMPARE(list->count(), listed + 1);
    QCOMPARE(list->currentText(), QStringLiteral("Week"));
    QCOMPARE(exportGridNames(), (QStringList{QStringLiteral("UID"), QStringLiteral("Time")}));
    QVERIFY(QFile::exists(m_context->paths.layoutFile(QStringLiteral("Week"))));

    // editing it again does not list it twice
    QTest::mouseClick(in<QPushButton>(m_export, "cmdEdit"), Qt::LeftButton);
    e = editor();
    QCOMPARE(in<QLineEdit>(e, "txtFileName")->text(), QStringLiteral("Week"));
    QTest::mouseClick(in<QPushButton>(e, "cmdSaveExit"), Qt::LeftButton);
    QTRY_VERIFY(!editor());
    QCOMPARE(list->count(), listed + 1);
    QCOMPARE(list->currentText(), QStringLiteral("Week"));
}

void TestGuiFormatEditorExport::builtLayoutExportsWhatItsPreviewPromised()
{
    openExport();
    QVERIFY(!editor()); // the side bar unloads the editor after showing the export window
    QTest::mouseClick(in<QPushButton>(m_export, "cmdNew"), Qt::LeftButton);
    FormatEditor* e = editor();
    QVERIFY(e);
    QCOMPARE(e->exportFields().fieldCount(), 0);
    auto setWidth = [&](const char* width) {
        QLineEdit* box = in<QLineEdit>(e, "txtFormatData_1");
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QString::fromLatin1(width));
    };
    addField(e, "UID");
    setWidth("5");
    addField(e, "Kestrum ID");
    setWidth("2");
    addField(e, "Date");
    in<QRadioButton>(e, "Option2")->click();
    addField(e, "Time");
    addField(e, "Event");
    QLineEdit* inText = in<QLineEdit>(e, "txtIN");
    inText->selectAll();
    QTest::keyClicks(inText, QStringLiteral("I1"));
    in<QCheckBox>(e, "optIN")->click();
    in<QRadioButton>(e, "optDelimiter_0")->click();
    const QString promised = in<QLineEdit>(e, "txtSimpleExport")->text();
    QCOMPARE(promised, QStringLiteral("00000;02;dd/MM/yyyy;HH:mm:ss;01"));
    QLineEdit* name = in<QLineEdit>(e, "txtFileName");
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Built"));
    QTest::mouseClick(in<QPushButton>(e, "cmdSaveExit"), Qt::LeftButton);
    QTRY_VERIFY(!editor());
    QCOMPARE(in<QComboBox>(m_export, "cmbFileFormat")->currentText(), QStringLiteral("Built"));
    QCOMPARE(in<QLineEdit>(m_export, "txtSimpleExport")->text(), promised);

    addPunch("12345", "07", "2024/05/31", "08:05:03", "0");
    addPunch("54321", "11", "2024/01/09", "17:30:00", "0");
    QRadioButton* filtered = in<QRadioButton>(m_export, "optDataType_1");
    QTest::mouseClick(filtered, Qt::LeftButton, {}, QPoint(6, filtered->height() / 2));
    QVERIFY(filtered->isChecked());
    const QString output = m_dir->filePath(QStringLiteral("built.txt"));
    m_prompter->queueFileName(output);
    QTest::mouseClick(in<QPushButton>(m_export, "cmdExport"), Qt::LeftButton);
    QCOMPARE(m_prompter->texts().value(0), QStringLiteral("Export successfully"));
    const QList<QByteArray> lines = TestFiles::read(output).split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QByteArray("12345;07;31/05/2567;08:05:03;I1\r"));
    QCOMPARE(lines[1], QByteArray("54321;11;09/01/2567;17:30:00;I1\r"));
    // field by field, each value stands where the preview put the sample
    const QStringList samples = promised.split(u';');
    for (int i = 0; i < 2; ++i) {
        const QStringList values = QString::fromLatin1(lines[i].chopped(1)).split(u';');
        QCOMPARE(values.size(), samples.size());
        for (int f = 0; f < samples.size(); ++f)
            QCOMPARE(values[f].size(), samples[f].size());
    }
}

void TestGuiFormatEditorExport::leavingWithoutSaveKeepsTheExport_data()
{
    QTest::addColumn<QString>("steps");
    QTest::newRow("new, cancel, new, cancel") << QStringLiteral("new cancel new cancel");
    QTest::newRow("edit, delete, cancel") << QStringLiteral("edit delete cancel");
    QTest::newRow("edit, delete, close box") << QStringLiteral("edit delete close");
    QTest::newRow("new, delete, semicolon, still open") << QStringLiteral("new delete semicolon");
}

void TestGuiFormatEditorExport::leavingWithoutSaveKeepsTheExport()
{
    QFETCH(QString, steps);
    startUp();
    showTextExport();
    const QString preview = in<QLineEdit>(m_export, "txtSimpleExport")->text();
    QCOMPARE(preview, QStringLiteral("000000,02"));
    for (const QString& step : steps.split(u' ')) {
        if (step == QLatin1String("new") || step == QLatin1String("edit")) {
            QTest::mouseClick(in<QPushButton>(m_export, step == QLatin1String("new") ? "cmdNew" : "cmdEdit"),
                              Qt::LeftButton);
            QVERIFY(editor() && editor()->isVisible());
        } else if (step == QLatin1String("delete")) {
            clickRow(in<QTableView>(editor(), "MSHFlexGrid2"), 1);
            QTest::mouseClick(in<QPushButton>(editor(), "cmdDelete"), Qt::LeftButton);
        } else if (step == QLatin1String("semicolon")) {
            in<QRadioButton>(editor(), "optDelimiter_0")->click();
        } else if (step == QLatin1String("cancel")) {
            QTest::mouseClick(in<QPushButton>(editor(), "cmdCancel"), Qt::LeftButton);
            QTRY_VERIFY(!editor());
        } else {
            auto* frame = qobject_cast<QMdiSubWindow*>(editor()->parentWidget());
            QVERIFY(frame && frame->close());
            QTRY_VERIFY(!editor());
        }
    }
    QCOMPARE(exportGridNames(), (QStringList{QStringLiteral("UID"), QStringLiteral("Kestrum ID")}));
    QCOMPARE(in<QLineEdit>(m_export, "txtSimpleExport")->text(), preview);
    addPunch("12345", "07", "2024/05/31", "08:05:03", "0");
    addPunch("54321", "11", "2024/01/09", "17:30:00", "0");
    QCOMPARE(exportToFile("kept.txt"), QByteArray("012345,07*\r\n054321,11*\r\n"));
}

void TestGuiFormatEditorExport::newThenCancelKeepsInOnly()
{
    // the person and the event, which is written as an entry whatever the punch was
    const QByteArray gate = "[ZUNDataView]\r\nRows=2\r\nDelimiter=,\r\n"
                            "[ZUNData\\ROW\\1]\r\nTextMatrix=UID\r\nFixedWidth=6\r\nAlignmentData=1\r\n"
                            "spData=0\r\n"
                            "[ZUNData\\ROW\\2]\r\nTextMatrix=Event\r\nFixedWidth=2\r\nAlignmentData=1\r\n"
                            "spData=0\r\nIN=I\r\nOUT=O\r\nINOnly=1\r\nOUTOnly=0\r\n";
    QVERIFY(TestFiles::write(m_context->paths.layoutFile(QStringLiteral("Gate")), gate));
    startUp(QStringLiteral("Gate"));
    showTextExport();
    QTest::mouseClick(in<QPushButton>(m_export, "cmdNew"), Qt::LeftButton);
    QTest::mouseClick(in<QPushButton>(editor(), "cmdCancel"), Qt::LeftButton);
    QTRY_VERIFY(!editor());

    addPunch("12345", "07", "2024/05/31", "08:00:00", "0");
    addPunch("12345", "07", "2024/05/31", "17:00:00", "0");
    QRadioButton* filtered = in<QRadioButton>(m_export, "optDataType_1");
    QTest::mouseClick(filtered, Qt::LeftButton, {}, QPoint(6, filtered->height() / 2));
    QVERIFY(filtered->isChecked());
    QCOMPARE(exportToFile("gate.txt"), QByteArray("012345,I\r\n012345,I\r\n"));
}

void TestGuiFormatEditorExport::savedNameIsListedAndSelected_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("added");
    QTest::newRow("edit, saved under a new name") << QStringLiteral("cmdEdit") << QStringLiteral("Week") << 1;
    QTest::newRow("edit, saved under its name") << QStringLiteral("cmdEdit") << QStringLiteral("Pair") << 0;
    QTest::newRow("new, saved under a listed name")
        << QStringLiteral("cmdNew") << QStringLiteral("Pair") << 0;
}

void TestGuiFormatEditorExport::savedNameIsListedAndSelected()
{
    QFETCH(QString, command);
    QFETCH(QString, name);
    QFETCH(int, added);
    startUp();
    showTextExport();
    QComboBox* list = in<QComboBox>(m_export, "cmbFileFormat");
    const int listed = list->count();
    QTest::mouseClick(in<QPushButton>(m_export, command.toLatin1().constData()), Qt::LeftButton);
    QCOMPARE(in<QLineEdit>(editor(), "txtFileName")->text(), QStringLiteral("Pair"));
    setName(editor(), name);
    QTest::mouseClick(in<QPushButton>(editor(), "cmdSaveExit"), Qt::LeftButton);
    QTRY_VERIFY(!editor());

    QCOMPARE(list->count(), listed + added);
    QCOMPARE(list->currentText(), name);
    QCOMPARE(list->findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive), list->currentIndex());
    QCOMPARE(exportGridNames(), (QStringList{QStringLiteral("UID"), QStringLiteral("Kestrum ID")}));
    addPunch("12345", "07", "2024/05/31", "08:05:03", "0");
    QCOMPARE(exportToFile("saved.txt"), QByteArray("012345,07*\r\n"));
    QCOMPARE(readIniValue(QStringLiteral("text"), QStringLiteral("FormatName"), QString(),
                          m_context->paths.settingsFile()),
             name);

    // the next Edit opens the saved layout, without asking for a file
    m_prompter->clear();
    QTest::mouseClick(in<QPushButton>(m_export, "cmdEdit"), Qt::LeftButton);
    QVERIFY(m_prompter->fileAsks().isEmpty());
    QCOMPARE(in<QLineEdit>(editor(), "txtFileName")->text(), name);
    QCOMPARE(editor()->exportFields().fieldCount(), 2);
}

QTEST_MAIN(TestGuiFormatEditorExport)
#include "tst_formateditorexport.moc"
