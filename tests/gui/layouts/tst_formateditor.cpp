#include "core/layouts/LayoutFile.h"
#include "core/platform/IniFile.h"
#include "fixtures/MainWindowSession.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"
#include "gui/export/ExportWindow.h"
#include "gui/layouts/FormatEditor.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTableView>

namespace {

// Three fields with alignments and pads of their own, Buddhist-era dates, OUT-only events.
const QByteArray ThreeFields = "[ZUNDataView]\r\nRows=3\r\nDelimiter=,\r\nViewName=Three\r\n"
                               "[ZUNData\\ROW\\1]\r\nTextMatrix=UID\r\nFixedWidth=8\r\nAlignmentData=1\r\n"
                               "spData=0\r\nFormatDateType=1\r\nFormatTimeType=1\r\nFormatYear=EN\r\n"
                               "[ZUNData\\ROW\\2]\r\nTextMatrix=Date\r\nFixedWidth=10\r\nAlignmentData=0\r\n"
                               "spData=-\r\nFormatDateType=1\r\nFormatTimeType=1\r\nFormatYear=TH\r\n"
                               "[ZUNData\\ROW\\3]\r\nTextMatrix=Event\r\nFixedWidth=2\r\nAlignmentData=2\r\n"
                               "spData=*\r\nFormatDateType=1\r\nFormatTimeType=1\r\nFormatYear=EN\r\n"
                               "IN=I\r\nOUT=O\r\nINOnly=0\r\nOUTOnly=1\r\n";

} // namespace

// The format editor inside the real main window, opened by the export window of side-bar item 2
// with New or Edit (the remembered layout "Three"): each control once, what Save & Exit writes
// and hands to the export window, and the ways of leaving it that write nothing.
class TestFormatEditor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_session.reset(); }
    void editAndSave();
    void leavingWithoutSave_data();
    void leavingWithoutSave();
    void newLayoutAndUnreadableLayouts();

private:
    FormatEditor* open(const char* button);
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
    ExportWindow* exportWindow() const { return m_session->window<ExportWindow>(WindowId::Export); }
    QString exportSample() const { return Gui::child<QLineEdit>(exportWindow(), "txtSimpleExport")->text(); }
    QStringList layoutFiles() const
    {
        return QDir(m_session->dataDir() + u"/ExportFormat"_qs).entryList(QDir::Files);
    }

    std::unique_ptr<MainWindowSession> m_session;
    QPointer<FormatEditor> m_editor;
};

void TestFormatEditor::init()
{
    m_session = std::make_unique<MainWindowSession>();
    QVERIFY(ensureExportFormatDir(m_session->paths()));
    QVERIFY(TestFiles::write(m_session->paths().layoutFile(u"Three"_qs), ThreeFields));
    QVERIFY(writeIniValue(u"text"_qs, u"FormatName"_qs, u"Three"_qs, m_session->paths().settingsFile()));
    m_session->clickItem(2);
    QVERIFY(exportWindow());
}

FormatEditor* TestFormatEditor::open(const char* button)
{
    Gui::click(exportWindow(), button);
    m_editor = m_session->window<FormatEditor>(WindowId::EditExport);
    return m_editor && m_editor->isVisible() ? m_editor.data() : nullptr;
}

void TestFormatEditor::editAndSave()
{
    QVERIFY(open("cmdEdit"));
    QCOMPARE(text("txtFileName"), u"Three"_qs);
    QCOMPARE(text("Label2"),
             u"0         10        20        30        40        50        60        70        80"_qs);
    // the panel of each kind of field, and its values
    const QString sample = u"0000001,yyyy/MM/dd,01"_qs;
    pick("MSHFlexGrid2", 1);
    QCOMPARE(state(),
             u"UID:8,Date:10,Event:2 lbl_1,txtFormatData_1,lbl_2,cmbAlignmentData,lbl_8,txtStr "_qs + sample);
    QCOMPARE(text("Label1") + text("txtFormatData_1") + text("cmbAlignmentData") + text("txtStr"),
             u"UID8Right0"_qs);
    pick("MSHFlexGrid2", 2);
    QCOMPARE(state(), u"UID:8,Date:10,Event:2 lbl_3,cmbDataFormat,lbl_7,Option1,Option2 "_qs + sample);
    QCOMPARE(text("Option1") + text("Option2"), u"01"_qs);
    pick("MSHFlexGrid2", 3);
    QCOMPARE(state(), u"UID:8,Date:10,Event:2 lbl_2,cmbAlignmentData,XPFrame1 "_qs + sample);
    QCOMPARE(text("txtIN") + text("txtOUT") + text("optIN") + text("optOUT") + text("cmbAlignmentData"),
             u"IO01Center"_qs);
    Gui::click(m_editor, "optIN");
    QCOMPARE(text("optIN") + text("optOUT"), u"10"_qs);
    Gui::type(m_editor, "txtIN", u"เข้า"_qs);
    Gui::type(m_editor, "txtOUT", u"ออก"_qs);
    pick("MSHFlexGrid2", 0);
    QCOMPARE(state(), u"UID:8,Date:10,Event:2  "_qs + sample);
    pick("MSHFlexGrid2", 1);
    Gui::type(m_editor, "txtFormatData_1", u"15a-"_qs);
    Gui::child<QComboBox>(m_editor, "cmbAlignmentData")->setCurrentIndex(2);
    Gui::type(m_editor, "txtStr", u"#"_qs);
    pick("MSHFlexGrid2", 2);
    Gui::child<QComboBox>(m_editor, "cmbDataFormat")->setCurrentIndex(4);
    Gui::choose(m_editor, "Option1");
    Gui::click(m_editor, "cmdUp");
    QCOMPARE(state().section(u' ', 0, 0), u"Date:10,UID:15,Event:2"_qs);
    Gui::click(m_editor, "cmdDown");
    for (const char* field : {"Time", "Group"}) {
        pick("MSHFlexGrid1",
             QStringList{u"UID"_qs, u"Kestrum ID"_qs, u"Group"_qs, u"Date"_qs, u"Time"_qs}.indexOf(
                 QLatin1String(field)) +
                 1);
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
    QCOMPARE(saved(u"Three"_qs, 0, "Rows") + saved(u"Three"_qs, 0, "Delimiter"), u"4|"_qs);
    QCOMPARE(saved(u"Three"_qs, 1, "FixedWidth") + saved(u"Three"_qs, 1, "AlignmentData") +
                 saved(u"Three"_qs, 1, "spData"),
             u"152#"_qs);
    QCOMPARE(saved(u"Three"_qs, 2, "FormatDateType") + saved(u"Three"_qs, 2, "FormatYear"), u"4EN"_qs);
    QCOMPARE(saved(u"Three"_qs, 3, "IN") + saved(u"Three"_qs, 3, "OUT") + saved(u"Three"_qs, 3, "INOnly") +
                 saved(u"Three"_qs, 3, "OUTOnly"),
             u"เข้าออก10"_qs);
    QCOMPARE(saved(u"Three"_qs, 4, "TextMatrix") + saved(u"Three"_qs, 4, "FormatTimeType"), u"Time1"_qs);
    auto* list = Gui::child<QComboBox>(exportWindow(), "cmbFileFormat");
    QCOMPARE(list->currentText(), u"Three"_qs);
    QCOMPARE(list->findText(u"Three"_qs), list->currentIndex());
    QCOMPARE(list->count(), layoutFiles().size());
    QCOMPARE(exportSample(), edited.section(u' ', 2));
    QVERIFY2(m_session->prompter().shown().isEmpty(), qPrintable(m_session->prompter().texts().join(u'\n')));
}

void TestFormatEditor::leavingWithoutSave_data()
{
    addColumns<QString, QString>({"opener", "how"});
    addRow("Edit, Cancel", u"cmdEdit"_qs, u"cmdCancel"_qs);
    addRow("New, Cancel", u"cmdNew"_qs, u"cmdCancel"_qs);
    addRow("Edit, the close box", u"cmdEdit"_qs, u"close"_qs);
    addRow("Edit, the main window closing", u"cmdEdit"_qs, u"quit"_qs);
}

// Leaving without Save discards the changes: no file written, the export window as it was.
void TestFormatEditor::leavingWithoutSave()
{
    QFETCH(QString, opener);
    QFETCH(QString, how);
    const QString before = exportSample();
    const QStringList files = layoutFiles();
    QVERIFY(open(qPrintable(opener)));
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
    QVERIFY(m_session->prompter().shown().isEmpty());
    if (how == u"quit")
        return;
    QCOMPARE(exportSample(), before);
    QCOMPARE(exportWindow()->grid().fieldCount(), 3);
    QCOMPARE(Gui::child<QComboBox>(exportWindow(), "cmbFileFormat")->currentText(), u"Three"_qs);
}

void TestFormatEditor::newLayoutAndUnreadableLayouts()
{
    QVERIFY(open("cmdNew"));
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
    QCOMPARE(m_session->prompter().texts(), QStringList{u"กรุณากรอกชื่อไฟล์รูปแบบ"_qs});
    QCOMPARE(m_session->prompter().last().icon, Prompter::Icon::Critical);
    // layouts that cannot be read leave the editor as it is
    m_session->prompter().clear();
    const QString keeps = u"The format editor keeps the layout it shows"_qs;
    m_editor->loadExportLayout(u"Gone"_qs);
    m_editor->loadExportLayout(QString()); // its file dialog cancelled
    m_session->prompter().queueFileName(m_session->dataDir() + u"/nowhere/Gone.ini"_qs);
    m_editor->loadExportLayout(QString());
    const QStringList texts = m_session->prompter().texts();
    QCOMPARE(texts.size(), 3);
    QCOMPARE(texts[1], u"No layout file was chosen. "_qs + keeps + u'.');
    QVERIFY2(texts[0].contains(u"Gone.ini"_qs) && texts[0].contains(keeps) &&
                 texts[2].contains(u"nowhere"_qs),
             qPrintable(texts.join(u'\n')));
    QCOMPARE(m_session->prompter().fileAsks().size(), 2);
    QCOMPARE(m_session->prompter().fileAsks()[0].filter, u"ini Files (*.ini)|*.ini"_qs);
    QCOMPARE(state().section(u' ', 0, 0), u"UID:"_qs);
    m_session->prompter().queueFileName(m_session->paths().layoutFile(u"Three"_qs));
    m_editor->loadExportLayout(QString());
    QCOMPARE(state().section(u' ', 0, 0), u"UID:8,Date:10,Event:2"_qs);
    // saved under a new name, listed once more
    const int listed = Gui::child<QComboBox>(exportWindow(), "cmbFileFormat")->count();
    Gui::type(m_editor, "txtFileName", u"Week"_qs);
    Gui::click(m_editor, "cmdSaveExit");
    QTRY_VERIFY(m_editor.isNull());
    QCOMPARE(saved(u"Week"_qs, 0, "Rows"), u"3"_qs);
    QCOMPARE(Gui::child<QComboBox>(exportWindow(), "cmbFileFormat")->count(), listed + 1);
    QCOMPARE(Gui::child<QComboBox>(exportWindow(), "cmbFileFormat")->currentText(), u"Week"_qs);
}

QTEST_MAIN(TestFormatEditor)
#include "tst_formateditor.moc"
