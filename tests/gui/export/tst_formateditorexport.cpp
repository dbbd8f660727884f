#include "core/layouts/LayoutFile.h"
#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "fixtures/MainWindowSession.h"
#include "fixtures/TestFiles.h"
#include "gui/export/ExportWindow.h"
#include "gui/layouts/FormatEditor.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

namespace {

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

// The format editor as the export window uses it inside the real main window: loaded hidden at
// start-up, shown by New and Edit, and leaving the export window's layout as it was unless a
// layout is saved, which the export window then lists, selects and exports with.
class TestFormatEditorExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_session.reset(); }
    void leavingWithoutSaveKeepsTheExport_data();
    void leavingWithoutSaveKeepsTheExport();
    void newThenCancelKeepsInOnly();
    void savedNameIsListedAndSelected_data();
    void savedNameIsListedAndSelected();

private:
    // As the program starts, the export window opened by no side-bar item with the remembered
    // layout preselected; then side-bar item 2 shows its text export.
    void startUp(const QString& layout = QStringLiteral("Pair"));
    // Person 12345 at terminal 7 on 2024/05/31, 54321 at terminal 11 on 2024/01/09.
    void addPunches();
    FormatEditor* editor() const { return m_session->window<FormatEditor>(WindowId::EditExport); }
    // Exports the local punches with the filtered data chosen or not; the file's bytes.
    QByteArray exportToFile(bool filtered = false);
    QStringList exportGridNames()
    {
        QStringList names;
        for (const LayoutRow& r : m_export->grid().fieldRows())
            names.append(r.field);
        return names;
    }

    std::unique_ptr<MainWindowSession> m_session;
    QPointer<ExportWindow> m_export;
};

void TestFormatEditorExport::init()
{
    m_session = std::make_unique<MainWindowSession>();
    QVERIFY(ensureExportFormatDir(m_session->paths()));
    QVERIFY(TestFiles::write(m_session->paths().layoutFile(QStringLiteral("Pair")), TwoFields));
    QVERIFY(openLocalDatabase(m_session->paths()));
}

void TestFormatEditorExport::startUp(const QString& layout)
{
    QVERIFY(writeIniValue(QStringLiteral("text"), QStringLiteral("FormatName"), layout,
                          m_session->paths().settingsFile()));
    m_export = qobject_cast<ExportWindow*>(m_session->main().windows().open(WindowId::Export));
    QVERIFY(m_export);
    QCOMPARE(Gui::child<QComboBox>(m_export, "cmbFileFormat")->currentText(), layout);
    // side-bar item 2 shows the text export of the same window, which keeps the editor
    QVERIFY(m_session->main().windows().open(WindowId::Export, 2) == m_export);
    QVERIFY(Gui::child(m_export, "cmdExport")->isVisible());
}

void TestFormatEditorExport::addPunches()
{
    QVERIFY(MainWindowSession::addPunch(u"12345"_qs, u"07"_qs, u"2024/05/31"_qs, u"08:05:03"_qs));
    QVERIFY(MainWindowSession::addPunch(u"54321"_qs, u"11"_qs, u"2024/01/09"_qs, u"17:30:00"_qs));
}

QByteArray TestFormatEditorExport::exportToFile(bool filtered)
{
    const QString output = m_session->dataDir() + QStringLiteral("/export.txt");
    if (filtered)
        Gui::choose(m_export, "optDataType_1");
    m_session->prompter().clear();
    m_session->prompter().queueFileName(output);
    Gui::click(m_export, "cmdExport");
    if (m_session->prompter().texts() != QStringList{QStringLiteral("Export successfully")})
        return "not exported: " + m_session->prompter().texts().join(u'|').toUtf8();
    return TestFiles::read(output);
}

void TestFormatEditorExport::leavingWithoutSaveKeepsTheExport_data()
{
    QTest::addColumn<QString>("steps");
    QTest::newRow("new, cancel, new, cancel") << QStringLiteral("new cancel new cancel");
    QTest::newRow("edit, delete, cancel") << QStringLiteral("edit delete cancel");
    QTest::newRow("edit, delete, close box") << QStringLiteral("edit delete close");
    QTest::newRow("new, delete, semicolon, still open") << QStringLiteral("new delete semicolon");
}

void TestFormatEditorExport::leavingWithoutSaveKeepsTheExport()
{
    QFETCH(QString, steps);
    startUp();
    const QString preview = Gui::child<QLineEdit>(m_export, "txtSimpleExport")->text();
    QCOMPARE(preview, QStringLiteral("000000,02"));
    for (const QString& step : steps.split(u' ')) {
        if (step == u"new" || step == u"edit") {
            Gui::click(m_export, step == u"new" ? "cmdNew" : "cmdEdit");
            QVERIFY(editor() && editor()->isVisible());
        } else if (step == u"delete") {
            auto* grid = Gui::child<QTableView>(editor(), "MSHFlexGrid2");
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualRect(grid->model()->index(1, 0)).center());
            Gui::click(editor(), "cmdDelete");
        } else if (step == u"semicolon") {
            Gui::click(editor(), "optDelimiter_0");
        } else if (step == u"cancel") {
            Gui::click(editor(), "cmdCancel");
            QTRY_VERIFY(!editor());
        } else {
            auto* frame = qobject_cast<QMdiSubWindow*>(editor()->parentWidget());
            QVERIFY(frame && frame->close());
            QTRY_VERIFY(!editor());
        }
    }
    QCOMPARE(exportGridNames(), (QStringList{QStringLiteral("UID"), QStringLiteral("Kestrum ID")}));
    QCOMPARE(Gui::child<QLineEdit>(m_export, "txtSimpleExport")->text(), preview);
    addPunches();
    QCOMPARE(exportToFile(), QByteArray("012345,07*\r\n054321,11*\r\n"));
}

void TestFormatEditorExport::newThenCancelKeepsInOnly()
{
    // the person and the event, which is written as an entry whatever the punch was
    const QByteArray gate = "[ZUNDataView]\r\nRows=2\r\nDelimiter=,\r\n"
                            "[ZUNData\\ROW\\1]\r\nTextMatrix=UID\r\nFixedWidth=6\r\nAlignmentData=1\r\n"
                            "spData=0\r\n"
                            "[ZUNData\\ROW\\2]\r\nTextMatrix=Event\r\nFixedWidth=2\r\nAlignmentData=1\r\n"
                            "spData=0\r\nIN=I\r\nOUT=O\r\nINOnly=1\r\nOUTOnly=0\r\n";
    QVERIFY(TestFiles::write(m_session->paths().layoutFile(QStringLiteral("Gate")), gate));
    startUp(QStringLiteral("Gate"));
    Gui::click(m_export, "cmdNew");
    Gui::click(editor(), "cmdCancel");
    QTRY_VERIFY(!editor());
    QVERIFY(MainWindowSession::addPunch(u"12345"_qs, u"07"_qs, u"2024/05/31"_qs, u"08:00:00"_qs));
    QVERIFY(MainWindowSession::addPunch(u"12345"_qs, u"07"_qs, u"2024/05/31"_qs, u"17:00:00"_qs));
    QCOMPARE(exportToFile(true), QByteArray("012345,I\r\n012345,I\r\n"));
}

void TestFormatEditorExport::savedNameIsListedAndSelected_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("added");
    QTest::newRow("edit, saved under a new name") << QStringLiteral("cmdEdit") << QStringLiteral("Week") << 1;
    QTest::newRow("edit, saved under its name") << QStringLiteral("cmdEdit") << QStringLiteral("Pair") << 0;
    QTest::newRow("new, saved under the first listed name")
        << QStringLiteral("cmdNew") << QStringLiteral("Default") << 0;
    QTest::newRow("new, saved under a listed name")
        << QStringLiteral("cmdNew") << QStringLiteral("Pair") << 0;
}

void TestFormatEditorExport::savedNameIsListedAndSelected()
{
    QFETCH(QString, command);
    QFETCH(QString, name);
    QFETCH(int, added);
    startUp();
    auto* list = Gui::child<QComboBox>(m_export, "cmbFileFormat");
    const int listed = list->count();
    // loaded hidden with the export window, holding the preselected layout
    QVERIFY(editor() && !editor()->isVisible());
    Gui::click(m_export, qPrintable(command));
    QCOMPARE(Gui::child<QRadioButton>(editor(), "Option2")->text(), QStringLiteral("2567"));
    QCOMPARE(Gui::child<QLineEdit>(editor(), "txtFileName")->text(), QStringLiteral("Pair"));
    Gui::type(editor(), "txtFileName", name);
    Gui::click(editor(), "cmdSaveExit");
    QTRY_VERIFY(!editor());
    QCOMPARE(list->count(), listed + added);
    QCOMPARE(list->currentText(), name);
    QCOMPARE(list->findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive), list->currentIndex());
    QCOMPARE(exportGridNames(), (QStringList{QStringLiteral("UID"), QStringLiteral("Kestrum ID")}));
    addPunches();
    QCOMPARE(exportToFile(), QByteArray("012345,07*\r\n054321,11*\r\n"));
    QCOMPARE(readIniValue(QStringLiteral("text"), QStringLiteral("FormatName"), QString(),
                          m_session->paths().settingsFile()),
             name);
    // the next Edit opens the saved layout, without asking for a file
    m_session->prompter().clear();
    Gui::click(m_export, "cmdEdit");
    QVERIFY(m_session->prompter().fileAsks().isEmpty());
    QCOMPARE(Gui::child<QLineEdit>(editor(), "txtFileName")->text(), name);
    QCOMPARE(editor()->exportFields().fieldCount(), 2);
}

QTEST_MAIN(TestFormatEditorExport)
#include "tst_formateditorexport.moc"
