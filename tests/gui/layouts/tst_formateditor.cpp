#include "core/layouts/LayoutFile.h"
#include "core/platform/IniFile.h"
#include "fixtures/MainWindowSession.h"
#include "fixtures/TestFiles.h"
#include "gui/export/ExportWindow.h"
#include "gui/layouts/FormatEditor.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTableView>
#include <QTest>

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
// The controls of the field panel that come and go with the kind of field.
const char* const PanelControls[] = {"lbl_1",          "txtFormatData_1", "lbl_2",   "cmbAlignmentData",
                                     "lbl_8",          "txtStr",          "lbl_3",   "cmbDataFormat",
                                     "combformatTime", "lbl_7",           "Option1", "Option2",
                                     "XPFrame1",       "optIN",           "optOUT"};

} // namespace

// The format editor inside the real main window, opened by the export window of side-bar item 2
// with New (an empty layout) or Edit (the remembered layout "Three"), used through its controls
// and left by Save & Exit, Cancel, its close box or the main window closing.
class TestFormatEditor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_session.reset(); }
    void scenario_data();
    void scenario();

private:
    void run(const QStringList& steps);
    void check(const QString& expected);
    ExportWindow* exportWindow() const { return m_session->window<ExportWindow>(WindowId::Export); }
    QStringList layoutFiles() const
    {
        return QDir(QFileInfo(m_session->paths().layoutFile(u"Three"_qs)).path()).entryList(QDir::Files);
    }

    std::unique_ptr<MainWindowSession> m_session;
    QPointer<FormatEditor> m_editor;
    QString m_exportSample;
    QStringList m_files;
};

void TestFormatEditor::init()
{
    m_session = std::make_unique<MainWindowSession>();
    const AppPaths& paths = m_session->paths();
    QVERIFY(ensureExportFormatDir(paths));
    QVERIFY(TestFiles::write(paths.layoutFile(u"Three"_qs), ThreeFields));
    QVERIFY(writeIniValue(u"text"_qs, u"FormatName"_qs, u"Three"_qs, paths.settingsFile()));
    m_session->clickItem(2);
    QVERIFY(exportWindow());
    m_exportSample = Gui::child<QLineEdit>(exportWindow(), "txtSimpleExport")->text();
    m_files = layoutFiles();
}

// Steps: "new" or "edit" first, then "add:FIELD" (the field list's row, then Add), "row:N" (the
// export-field grid's row), "back" (Backspace in the width box), "BOX=TEXT" (typed, or the entry
// of a list), "load:NAME" (the editor reads that layout; "pick:FILE" answers its file dialog),
// "close" (the close box), "quit" (the main window closes), or a button's name. "~" is a blank.
void TestFormatEditor::run(const QStringList& steps)
{
    Gui::click(exportWindow(), steps.first() == u"new" ? "cmdNew" : "cmdEdit");
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
            auto* view = Gui::child<QTableView>(m_editor, name == "add" ? "MSHFlexGrid1" : "MSHFlexGrid2");
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualRect(view->model()->index(r, 0)).center());
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
        } else if (name == "close") {
            QVERIFY(qobject_cast<QMdiSubWindow*>(m_editor->parentWidget())->close());
        } else if (name == "quit") {
            QVERIFY(m_session->main().close());
        } else if (auto* list = m_editor->findChild<QComboBox*>(QLatin1String(name))) {
            list->setCurrentIndex(value.toInt());
        } else if (step.contains(u'=')) {
            Gui::type(m_editor, name.constData(), value);
        } else {
            Gui::click(m_editor, name.constData());
        }
    }
}

// Expected: "fields=NAME:WIDTH,..." (the export fields),
// "shown=CONTROL,..." (exactly these of the field panel), "message=TEXT" (the one message shown
// contains it; none otherwise), "LAYOUT/ROW/KEY=VALUE" (in the saved file, row 0 being
// [ZUNDataView]; the editor has closed), "listed=NAME" (the export window lists it once and has
// it selected), "kept" (the editor has closed and nothing was written: the layout files, the
// export window's fields and sample are as before), or "CONTROL=TEXT" (a box's, list's or label's
// text, 1 or 0 for a check box or option).
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
        } else if (key == u"shown") {
            QStringList shown;
            for (const char* name : PanelControls)
                if (Gui::child(m_editor, name)->isVisibleTo(m_editor))
                    shown << QLatin1String(name);
            got = shown.join(u',');
        } else if (key == u"kept" || key == u"listed") {
            QTRY_VERIFY(m_editor.isNull());
            if (key == u"kept") {
                QCOMPARE(TestFiles::read(m_session->paths().layoutFile(u"Three"_qs)), ThreeFields);
                QCOMPARE(layoutFiles(), m_files);
                QCOMPARE(ExportLayout::current().path, m_session->paths().layoutFile(u"Three"_qs));
            }
            if (!exportWindow())
                continue;
            auto* list = Gui::child<QComboBox>(exportWindow(), "cmbFileFormat");
            got = list->currentText();
            QCOMPARE(list->findText(got), list->currentIndex());
            QCOMPARE(qsizetype(list->count()),
                     m_files.size() + qsizetype(!m_files.contains(got + u".ini"_qs)));
            if (key == u"kept") {
                QCOMPARE(Gui::child<QLineEdit>(exportWindow(), "txtSimpleExport")->text(), m_exportSample);
                QCOMPARE(exportWindow()->grid().fieldCount(), 3);
                got = u"kept"_qs + got;
            }
        } else if (key.contains(u'/')) {
            const QString file = m_session->paths().layoutFile(key.section(u'/', 0, 0));
            const QString row = key.section(u'/', 1, 1);
            QTRY_VERIFY(m_editor.isNull());
            QCOMPARE(ExportLayout::current().path, file);
            got = readLayoutValue(row == u"0" ? u"ZUNDataView"_qs : u"ZUNData\\ROW\\"_qs + row,
                                  key.section(u'/', 2), file);
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
        QCOMPARE(key + u'=' + got, key + u'=' + (key == u"kept" ? u"keptThree"_qs : want));
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
    const char* const rows[][3] = {
        // choosing and arranging the fields, and the sample line they give
        {"UID to an empty layout", "new add:UID", "fields=UID:12 txtSimpleExport=0000001"},
        {"delete the second of three", "edit row:2 cmdDelete",
         "fields=UID:8,Event:2 txtSimpleExport=0000001,01"},
        {"up on the second", "edit row:2 cmdUp",
         "fields=Date:10,UID:8,Event:2 txtSimpleExport=yyyy/MM/dd,0000001,01"},
        {"down on the first", "edit row:1 cmdDown", "fields=Date:10,UID:8,Event:2"},
        {"width takes digits only", "new add:UID txtFormatData_1=15a-",
         "fields=UID:15 txtSimpleExport=0000000001"},
        {"no width leaves the field out", "new add:UID back back", "fields=UID: txtSimpleExport="},
        {"alignment and pad of one row",
         "new add:Kestrum~ID add:Group row:1 cmbAlignmentData=0 txtStr=* txtFormatData_1=5",
         "fields=Kestrum~ID:5,Group:3 txtSimpleExport=02**03"},
        {"custom text taken", "new add:Kestrum~ID add:Group optDelimiter_4 txtDelimiter=| optDelimiter_4",
         "txtSimpleExport=02|03"},
        {"patterns", "new add:Date cmbDataFormat=4 add:Time combformatTime=1 optDelimiter_0",
         "txtSimpleExport=yyMMdd;HH:mm"},
        // the field panel shows what the selected field uses
        {"panel of a new layout", "new",
         "shown=lbl_1,txtFormatData_1,lbl_2,cmbAlignmentData,optIN,optOUT Label1="},
        {"panel of UID", "edit row:1",
         "shown=lbl_1,txtFormatData_1,lbl_2,cmbAlignmentData,lbl_8,txtStr txtFormatData_1=8 "
         "cmbAlignmentData=Right txtStr=0 "
         "optDelimiter_1=1 txtDelimiter=@@"},
        {"panel of a Buddhist-era date", "edit row:2",
         "shown=lbl_3,cmbDataFormat,lbl_7,Option1,Option2 Option2=1 Option1=0"},
        {"panel of Event", "edit row:3",
         "shown=lbl_2,cmbAlignmentData,XPFrame1,optIN,optOUT txtIN=I txtOUT=O optIN=0 optOUT=1 "
         "cmbAlignmentData=Center"},
        {"IN only clears OUT only", "edit row:3 optIN", "optIN=1 optOUT=0"},
        // Save & Exit writes the layout file, which the export window lists and selects
        {"new layout saved",
         "new add:UID add:Date Option2 add:Event optDelimiter_1 txtFileName=Week cmdSaveExit",
         "Week/0/Rows=3 Week/0/Delimiter=, Week/2/TextMatrix=Date Week/2/FormatYear=TH Week/1/FormatYear=EN "
         "Week/3/IN=I "
         "Week/3/OUTOnly=0 listed=Week"},
        {"edits saved", "edit row:1 cmbAlignmentData=2 row:3 optIN txtIN=เข้า txtOUT=ออก cmdSaveExit",
         "Three/1/AlignmentData=2 Three/3/INOnly=1 Three/3/OUTOnly=0 Three/3/IN=เข้า Three/3/OUT=ออก "
         "listed=Three"},
        // leaving without Save writes nothing and leaves the export window as it was
        {"Cancel after edits",
         "edit row:2 cmdDelete row:1 txtStr=# optDelimiter_2 txtFileName=Three cmdCancel", "kept"},
        {"Cancel of a new layout", "new add:UID txtFileName=Week cmdCancel", "kept"},
        {"the close box", "edit row:1 cmdDelete close", "kept"},
        {"the main window closing", "edit row:1 cmdDelete quit", "kept"},
        // a name that cannot be saved, or a layout that cannot be read, leaves the editor as it is
        {"empty name", "new add:UID cmdSaveExit", "message=กรุณากรอกชื่อไฟล์รูปแบบ fields=UID:12"},
        {"missing layout", "edit row:2 cmdDelete load:Gone",
         "message=keeps~the~layout fields=UID:8,Event:2 txtSimpleExport=0000001,01 txtFileName=Three"},
        {"cancelled file dialog",
         "edit row:2 cmdDelete load:", "message=keeps~the~layout fields=UID:8,Event:2"},
        {"picked file missing",
         "edit row:2 cmdDelete pick:nowhere/Gone.ini load:", "message=Gone.ini fields=UID:8,Event:2"},
        {"picked file read", "edit row:2 cmdDelete pick:ExportFormat/Three.ini load:",
         "fields=UID:8,Date:10,Event:2 txtSimpleExport=0000001,yyyy/MM/dd,01 txtFileName=Three"},
    };
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2]);
}

void TestFormatEditor::scenario()
{
    QFETCH(QString, steps);
    QFETCH(QString, expected);
    run(steps.split(u' '));
    check(expected);
    if (m_editor)
        QVERIFY(m_editor->isVisible());
    // a file dialog only where no layout was named
    QCOMPARE(m_session->prompter().fileAsks().value(0).filter,
             steps.endsWith(u"load:") ? u"ini Files (*.ini)|*.ini"_qs : QString());
}

QTEST_MAIN(TestFormatEditor)
#include "tst_formateditor.moc"
