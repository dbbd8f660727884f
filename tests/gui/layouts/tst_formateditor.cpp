#include "core/layouts/LayoutFile.h"
#include "core/platform/IniFile.h"
#include "fixtures/MainWindowSession.h"
#include "fixtures/TestFiles.h"
#include "gui/layouts/FormatEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTableView>
#include <QTest>

namespace {

// Three fields with alignments and pads of their own, comma delimiter, Buddhist-era dates,
// OUT-only events.
const QByteArray ThreeFields = "[ZUNDataView]\r\nRows=3\r\nDelimiter=,\r\nViewName=Three\r\n"
                               "[ZUNData\\ROW\\1]\r\nTextMatrix=UID\r\nFixedWidth=8\r\nAlignmentData=1\r\n"
                               "spData=0\r\nFormatDateType=1\r\nFormatTimeType=1\r\nFormatYear=EN\r\n"
                               "[ZUNData\\ROW\\2]\r\nTextMatrix=Date\r\nFixedWidth=10\r\nAlignmentData=0\r\n"
                               "spData=-\r\nFormatDateType=1\r\nFormatTimeType=1\r\nFormatYear=TH\r\n"
                               "[ZUNData\\ROW\\3]\r\nTextMatrix=Event\r\nFixedWidth=2\r\nAlignmentData=2\r\n"
                               "spData=*\r\nFormatDateType=1\r\nFormatTimeType=1\r\nFormatYear=EN\r\n"
                               "IN=I\r\nOUT=O\r\nINOnly=0\r\nOUTOnly=1\r\n";

// Two fields and a delimiter that has no option of its own.
const QByteArray BarFields =
    "[ZUNDataView]\r\nRows=2\r\nDelimiter=|\r\n[ZUNData\\ROW\\1]\r\nTextMatrix=Kestrum ID\r\n"
    "FixedWidth=3\r\nAlignmentData=1\r\nspData=0\r\nFormatDateType=1\r\nFormatTimeType=0\r\n"
    "[ZUNData\\ROW\\2]\r\nTextMatrix=Group\r\nFixedWidth=3\r\nAlignmentData=1\r\nspData=0\r\n"
    "FormatDateType=1\r\nFormatTimeType=0\r\n";

// The controls of the field panel that come and go with the kind of field.
const char* const PanelControls[] = {"lbl_1",          "txtFormatData_1", "lbl_2",   "cmbAlignmentData",
                                     "lbl_8",          "txtStr",          "lbl_3",   "cmbDataFormat",
                                     "combformatTime", "lbl_7",           "Option1", "Option2",
                                     "XPFrame1",       "optIN",           "optOUT"};

} // namespace

// The format editor inside the real main window, opened by the export window of side-bar item 2
// with New (an empty layout) or Edit (the listed layout "Three"), used through its controls.
class TestFormatEditor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_session.reset(); }
    void scenario_data();
    void scenario();

private:
    // Opens the editor with "new" or "edit" and runs the steps.
    void run(const QStringList& steps);
    void check(const QString& expected);
    void clickRow(QTableView* view, int r)
    {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(r, 0)).center());
    }

    std::unique_ptr<MainWindowSession> m_session;
    QPointer<FormatEditor> m_editor;
};

void TestFormatEditor::init()
{
    m_session = std::make_unique<MainWindowSession>();
    const AppPaths& paths = m_session->paths();
    QVERIFY(ensureExportFormatDir(paths));
    QVERIFY(TestFiles::write(paths.layoutFile(u"Three"_qs), ThreeFields));
    QVERIFY(TestFiles::write(paths.layoutFile(u"Bar"_qs), BarFields));
    QVERIFY(writeIniValue(u"text"_qs, u"FormatName"_qs, u"Three"_qs, paths.settingsFile()));
    m_session->clickItem(2);
    QVERIFY(m_session->window(WindowId::Export));
}

// Steps: "new" or "edit" first, then "add:FIELD" (the field list's row, then the add button),
// "row:N" (the export-field grid's row), "back" (Backspace in the width box), "BOX=TEXT" (typed
// into a box, or the entry of a list), "load:NAME" (the editor reads that layout; "pick:FILE"
// answers its file dialog), or a button's name. "~" stands for a blank.
void TestFormatEditor::run(const QStringList& steps)
{
    Gui::click(m_session->window(WindowId::Export), steps.first() == u"new" ? "cmdNew" : "cmdEdit");
    m_editor = m_session->window<FormatEditor>(WindowId::EditExport);
    QVERIFY(m_editor && m_editor->isVisible());
    for (const QString& step : steps.mid(1)) {
        const QByteArray name = step.section(u'=', 0, 0).section(u':', 0, 0).toLatin1();
        const QString value =
            (step.contains(u'=') ? step.section(u'=', 1) : step.section(u':', 1)).replace(u'~', u' ');
        if (name == "add" || name == "row") {
            const QList<LayoutRow>& all = ExportFieldList::availableFields();
            int r = value.toInt();
            for (int i = 0; i < all.size(); ++i)
                r = all[i].field == value ? i + 1 : r;
            clickRow(Gui::child<QTableView>(m_editor, name == "add" ? "MSHFlexGrid1" : "MSHFlexGrid2"), r);
            if (name == "add")
                Gui::click(m_editor, "cmdAdd");
        } else if (name == "back") {
            auto* width = Gui::child<QLineEdit>(m_editor, "txtFormatData_1");
            width->setFocus();
            width->end(false);
            QTest::keyClick(width, Qt::Key_Backspace);
        } else if (name == "pick") {
            m_session->prompter().queueFileName(m_session->dataDir() + u'/' + value);
        } else if (name == "load") {
            m_editor->loadExportLayout(value);
        } else if (auto* list = m_editor->findChild<QComboBox*>(QLatin1String(name))) {
            list->setCurrentIndex(value.toInt());
        } else if (step.contains(u'=')) {
            Gui::type(m_editor, name.constData(), value);
        } else {
            Gui::click(m_editor, name.constData());
        }
    }
}

// Expected: "fields=NAME:WIDTH,..." (the export fields), "row=N" (selected, and its name shown),
// "shown=CONTROL,..." (of the field panel's controls, exactly these), "message=TEXT" (the one
// message shown contains it; none shown otherwise), "LAYOUT/ROW/KEY=VALUE" (in the saved file,
// row 0 being [ZUNDataView]; the editor has closed and the layout is the current one), or
// "CONTROL=TEXT" (a box's or list's text, a label's, 1 or 0 for a check box or option).
void TestFormatEditor::check(const QString& expected)
{
    QString message;
    for (const QString& token : expected.split(u' ', Qt::SkipEmptyParts)) {
        const QString key = token.section(u'=', 0, 0);
        const QString want = token.section(u'=', 1).replace(u'~', u' ');
        QString got;
        if (key == u"message") {
            message = want;
            got = m_session->prompter().texts().value(0).contains(want)
                      ? want
                      : m_session->prompter().texts().join(u'|');
        } else if (key == u"fields") {
            QStringList fields;
            for (const LayoutRow& r : m_editor->exportFields().fieldRows())
                fields << r.field + u':' + r.width;
            got = fields.join(u',');
        } else if (key == u"row") {
            got = QString::number(m_editor->selectedRow());
            const QModelIndexList shown =
                Gui::child<QTableView>(m_editor, "MSHFlexGrid2")->selectionModel()->selectedRows();
            QCOMPARE(shown.isEmpty() ? 0 : shown.first().row(), m_editor->selectedRow());
            const QString field = m_editor->selectedRow() > 0
                                      ? m_editor->exportFields().row(m_editor->selectedRow()).field
                                      : QString();
            QCOMPARE(Gui::child<QLabel>(m_editor, "Label1")->text(), field);
        } else if (key == u"shown") {
            QStringList shown;
            for (const char* name : PanelControls)
                if (Gui::child(m_editor, name)->isVisibleTo(m_editor))
                    shown << QLatin1String(name);
            got = shown.join(u',');
        } else if (key.contains(u'/')) {
            const QString file = m_session->paths().layoutFile(key.section(u'/', 0, 0));
            const QString row = key.section(u'/', 1, 1);
            const QString section = row == u"0" ? u"ZUNDataView"_qs : u"ZUNData\\ROW\\"_qs + row;
            QTRY_VERIFY(m_editor.isNull());
            QCOMPARE(ExportLayout::current().path, file);
            got = readLayoutValue(section, key.section(u'/', 2), file);
        } else {
            QWidget* control = Gui::child(m_editor, qPrintable(key));
            if (auto* box = qobject_cast<QLineEdit*>(control))
                got = box->text();
            else if (auto* list = qobject_cast<QComboBox*>(control))
                got = list->currentText();
            else if (auto* label = qobject_cast<QLabel*>(control))
                got = label->text();
            else
                got = QString::number(qobject_cast<QAbstractButton*>(control)->isChecked());
        }
        QCOMPARE(key + u'=' + got, key + u'=' + want);
    }
    if (message.isEmpty())
        QVERIFY2(m_session->prompter().shown().isEmpty(),
                 qPrintable(m_session->prompter().texts().join(u'\n')));
    else
        QCOMPARE(m_session->prompter().shown().size(), 1);
}

void TestFormatEditor::scenario_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("expected");
    const struct
    {
        const char* name;
        const char* steps;
        const char* expected;
    } rows[] = {
        // choosing and arranging the fields, and the sample line they give
        {"UID to an empty layout", "new add:UID", "fields=UID:12 txtSimpleExport=0000001 row=1"},
        {"then Group", "new add:UID add:Group", "fields=UID:12,Group:3 txtSimpleExport=000000103 row=2"},
        {"add with no field chosen", "new cmdAdd", "fields= txtSimpleExport= row=0"},
        {"a field is added once", "new add:UID cmdAdd", "fields=UID:12"},
        {"delete the second of three", "edit row:2 cmdDelete",
         "fields=UID:8,Event:2 txtSimpleExport=0000001,01 row=2"},
        {"up on the second", "edit row:2 cmdUp",
         "fields=Date:10,UID:8,Event:2 txtSimpleExport=yyyy/MM/dd,0000001,01 row=1"},
        {"down on the first", "edit row:1 cmdDown", "fields=Date:10,UID:8,Event:2 row=2"},
        {"ends and the header move nothing", "edit row:1 cmdUp row:3 cmdDown row:0 cmdUp cmdDown cmdDelete",
         "fields=UID:8,Date:10,Event:2 txtSimpleExport=0000001,yyyy/MM/dd,01 row=0"},
        {"delete the only field", "new add:Date cmdDelete", "fields= txtSimpleExport= row=0 shown="},
        {"width takes digits only", "new add:UID txtFormatData_1=15a-",
         "fields=UID:15 txtSimpleExport=0000000001"},
        {"no width leaves the field out", "new add:UID back back", "fields=UID: txtSimpleExport="},
        {"alignment and pad of one row",
         "new add:Kestrum~ID add:Group row:1 cmbAlignmentData=0 txtStr=* txtFormatData_1=5",
         "fields=Kestrum~ID:5,Group:3 txtSimpleExport=02**03 row=1"},
        {"custom delimiter", "new add:Kestrum~ID add:Group optDelimiter_4", "txtSimpleExport=02@@03"},
        {"typed custom text waits for its option",
         "new add:Kestrum~ID add:Group optDelimiter_4 txtDelimiter=|", "txtSimpleExport=02@@03"},
        {"custom text taken again",
         "new add:Kestrum~ID add:Group optDelimiter_4 txtDelimiter=| optDelimiter_4",
         "txtSimpleExport=02|03"},
        {"TAB", "new add:Kestrum~ID add:Group optDelimiter_3", "txtSimpleExport=02\t03"},
        {"space", "new add:Kestrum~ID add:Group optDelimiter_2", "txtSimpleExport=02~03"},
        {"patterns show at the next rebuild",
         "new add:Date cmbDataFormat=4 add:Time combformatTime=1 optDelimiter_0",
         "txtSimpleExport=yyMMdd;HH:mm"},
        // the field panel shows what the selected field uses
        {"panel of a new layout", "new",
         "shown=lbl_1,txtFormatData_1,lbl_2,cmbAlignmentData,optIN,optOUT Label1="},
        {"panel of UID", "edit row:1",
         "shown=lbl_1,txtFormatData_1,lbl_2,cmbAlignmentData,lbl_8,txtStr txtFormatData_1=8 "
         "cmbAlignmentData=Right txtStr=0 optDelimiter_1=1 txtDelimiter=@@"},
        {"a delimiter of its own is the custom one", "edit load:Bar",
         "optDelimiter_4=1 txtDelimiter=| txtSimpleExport=02|03"},
        {"panel of a Buddhist-era date", "edit row:2",
         "shown=lbl_3,cmbDataFormat,lbl_7,Option1,Option2 Option2=1 cmbDataFormat=yyyy/MM/dd"},
        {"panel of Event", "edit row:3",
         "shown=lbl_2,cmbAlignmentData,XPFrame1,optIN,optOUT txtIN=I txtOUT=O optIN=0 optOUT=1 "
         "cmbAlignmentData=Center"},
        {"IN only clears OUT only", "edit row:3 optIN", "optIN=1 optOUT=0"},
        {"panel of Time", "edit add:Time", "shown=lbl_3,combformatTime combformatTime=HH:mm row=4"},
        {"panel of the header row", "edit row:0", "shown= row=0"},
        {"era chosen on another row stays", "edit row:2 Option1 row:1 row:2", "Option1=1 Option2=0"},
        // Save & Exit writes the layout file
        {"new layout saved",
         "new add:UID add:Date Option2 add:Event optDelimiter_1 txtFileName=Week cmdSaveExit",
         "Week/0/Rows=3 Week/0/Delimiter=, Week/2/TextMatrix=Date Week/2/FormatYear=TH Week/1/FormatYear=EN "
         "Week/3/IN=I Week/3/OUTOnly=0"},
        {"unchanged layout saved as read", "edit row:0 row:1 row:2 row:3 cmdSaveExit",
         "Three/0/ViewName=Three Three/1/AlignmentData=1 Three/2/AlignmentData=0 Three/3/AlignmentData=2 "
         "Three/1/spData=0 Three/2/spData=- Three/3/spData=* Three/2/FormatYear=TH Three/1/IN=I "
         "Three/3/OUTOnly=1"},
        {"edits saved", "edit row:1 cmbAlignmentData=2 row:3 optIN txtIN=เข้า cmdSaveExit",
         "Three/1/AlignmentData=2 Three/3/INOnly=1 Three/3/OUTOnly=0 Three/3/IN=เข้า"},
        {"the pad of a moved row", "edit row:2 cmdUp row:2 txtStr=# cmdSaveExit",
         "Three/1/TextMatrix=Date Three/1/spData=- Three/2/spData=# Three/2/AlignmentData=1"},
        {"patterns saved",
         "new add:Date cmbDataFormat=4 add:Time combformatTime=1 txtFileName=Short cmdSaveExit",
         "Short/1/FormatDateType=4 Short/2/FormatDateType=4 Short/1/FormatTimeType=1 "
         "Short/2/FormatTimeType=1"},
        // a name that cannot be saved, or a layout that cannot be read, leaves the editor as it is
        {"empty name", "new add:UID cmdSaveExit", "message=กรุณากรอกชื่อไฟล์รูปแบบ fields=UID:12"},
        {"blank name", "new add:UID txtFileName=~~ cmdSaveExit", "message=กรุณากรอกชื่อไฟล์รูปแบบ"},
        {"name outside the folder", "new add:UID txtFileName=../Week cmdSaveExit", "message=../Week"},
        {"missing layout", "edit row:2 cmdDelete load:Gone",
         "message=keeps~the~layout fields=UID:8,Event:2 row=2 txtSimpleExport=0000001,01 txtFileName=Three"},
        {"cancelled file dialog",
         "edit row:2 cmdDelete load:", "message=keeps~the~layout fields=UID:8,Event:2 row=2"},
        {"picked file missing",
         "edit row:2 cmdDelete pick:nowhere/Gone.ini load:", "message=Gone.ini fields=UID:8,Event:2"},
        {"picked file read", "edit row:2 cmdDelete pick:ExportFormat/Three.ini load:",
         "fields=UID:8,Date:10,Event:2 row=1 txtSimpleExport=0000001,yyyy/MM/dd,01 txtFileName=Three"},
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << QString::fromUtf8(row.steps) << QString::fromUtf8(row.expected);
}

void TestFormatEditor::scenario()
{
    QFETCH(QString, steps);
    QFETCH(QString, expected);
    run(steps.split(u' '));
    check(expected);
    if (m_editor)
        QCOMPARE(Gui::child<QLabel>(m_editor, "Label2")->text(),
                 u"0         10        20        30        40        50        60        70        80"_qs);
    if (!m_editor.isNull() && !expected.contains(u'/'))
        QVERIFY(m_editor->isVisible());
    // a file dialog only where no layout was named
    QCOMPARE(m_session->prompter().fileAsks().value(0).filter,
             steps.endsWith(u"load:") ? u"ini Files (*.ini)|*.ini"_qs : QString());
}

QTEST_MAIN(TestFormatEditor)
#include "tst_formateditor.moc"
