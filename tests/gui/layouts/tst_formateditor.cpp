#include "core/layouts/LayoutFile.h"
#include "core/layouts/LineBuilder.h"
#include "core/platform/Cp874.h"
#include "core/platform/IniFile.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestPrompter.h"
#include "gui/layouts/FormatEditor.h"
#include "gui/layouts/FormatEditorHost.h"
#include "gui/platform/AppContext.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Records what Save & Exit asks of the export window, in order.
class RecordingHost final : public FormatEditorHost
{
public:
    void addLayoutName(const QString& name) override { calls.append(QStringLiteral("add ") + name); }
    void showLayoutName(const QString& name) override { calls.append(QStringLiteral("show ") + name); }
    void loadLayout(const QString& name) override { calls.append(QStringLiteral("load ") + name); }

    QStringList calls;
};

// Three fields with alignments and pads of their own, comma delimiter.
const char* const ThreeFields = "[ZUNDataView]\n"
                                "Rows=3\n"
                                "Delimiter=,\n"
                                "ViewName=Three\n"
                                "[ZUNData\\ROW\\1]\n"
                                "TextMatrix=UID\nFixedWidth=8\nAlignmentData=1\nspData=0\n"
                                "FormatDateType=1\nFormatTimeType=1\nFormatYear=EN\nIN=I\nOUT=O\n"
                                "[ZUNData\\ROW\\2]\n"
                                "TextMatrix=Date\nFixedWidth=10\nAlignmentData=0\nspData=-\n"
                                "FormatDateType=1\nFormatTimeType=1\nFormatYear=TH\nIN=I\nOUT=O\n"
                                "[ZUNData\\ROW\\3]\n"
                                "TextMatrix=Event\nFixedWidth=2\nAlignmentData=2\nspData=*\n"
                                "FormatDateType=1\nFormatTimeType=1\nFormatYear=EN\nIN=I\nOUT=O\n"
                                "INOnly=0\nOUTOnly=1\n";

} // namespace

class TestFormatEditor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void opening();
    void addingUidToAnEmptyLayout();
    void addWithoutAFieldDoesNothing();
    void deletingTheSecondOfThree();
    void upOnTheSecondField();
    void downAndUpAtTheEnds_data();
    void downAndUpAtTheEnds();
    void deletingTheLastField();
    void saveNewLayoutNamedWeek();
    void saveEditedLayout();
    void emptyNameIsRefused_data();
    void emptyNameIsRefused();
    void cancelAfterDelete();
    void frameCloseIsCancel();
    void widthBoxTakesDigitsOnly();
    void widthBoxBackspace();
    void alignmentAndPadPerRow();
    void dateRowWithYearFormTH();
    void timeRowShowsTimePatterns();
    void eventRowInOnlyClearsOutOnly();
    void customDelimiter();
    void delimiterLoadedFromFile_data();
    void delimiterLoadedFromFile();
    void patternChoiceIsSavedAndPreviewedNextTime();
    void missingOrCancelledFileLeavesEditor_data();
    void missingOrCancelledFileLeavesEditor();
    void pickedFileIsLoaded();
    void headerRowEditsNothing();
    void openingLeavesFirstAlignmentAlone();
    void roundTripWithoutChanges();
    void layoutOfFiveFields();

private:
    template <typename T> T* child(const char* name)
    {
        T* w = m_editor->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QTableView* grid() { return child<QTableView>("MSHFlexGrid2"); }
    QTableView* fieldList() { return child<QTableView>("MSHFlexGrid1"); }
    void click(const char* button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    void clickRow(QTableView* view, int r)
    {
        const QRect rect = view->visualRect(view->model()->index(r, 0));
        QVERIFY(rect.isValid());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void addField(const QString& name)
    {
        const QList<LayoutRow>& fields = ExportFieldList::availableFields();
        for (int i = 0; i < fields.size(); ++i)
            if (fields[i].field == name) {
                clickRow(fieldList(), i + 1);
                click("cmdAdd");
                return;
            }
        QFAIL("no such field");
    }
    QString preview() { return child<QLineEdit>("txtSimpleExport")->text(); }
    bool shown(const char* name) { return child<QWidget>(name)->isVisibleTo(m_editor.get()); }
    QStringList names()
    {
        QStringList out;
        for (const LayoutRow& r : m_editor->exportFields().fieldRows())
            out.append(r.field);
        return out;
    }
    const ExportLayout& draft() { return m_editor->draft().layout(); }
    QString settingsOf(int r)
    {
        const ExportLayout& l = draft();
        return QString::number(l.alignmentOf(r)) + l.padOf(r);
    }
    void writeLayout(const QString& name, const char* text)
    {
        QDir().mkpath(m_context->paths.exportFormatDir());
        QByteArray bytes(text);
        bytes.replace("\n", "\r\n");
        QVERIFY(TestFiles::write(m_context->paths.layoutFile(name), bytes));
    }
    QString stored(const QString& name, const QString& section, const QString& key)
    {
        return readLayoutValue(section, key, m_context->paths.layoutFile(name));
    }
    void newEditor();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestPrompter> m_prompter;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<RecordingHost> m_host;
    std::unique_ptr<FormatEditor> m_editor;
};

void TestFormatEditor::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_prompter = std::make_unique<TestPrompter>();
    m_context = std::make_unique<AppContext>(AppContext{AppPaths(m_dir->path()), *m_prompter});
    m_host = std::make_unique<RecordingHost>();
    ExportLayout::current() = ExportLayout();
    newEditor();
}

void TestFormatEditor::newEditor()
{
    m_editor = std::make_unique<FormatEditor>(*m_context);
    m_editor->setClock([] { return QDate(2024, 5, 31); });
    m_editor->setHost(m_host.get());
    m_editor->resize(900, 600);
    m_editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));
}

void TestFormatEditor::cleanup()
{
    m_editor.reset();
    m_host.reset();
    m_context.reset();
    m_prompter.reset();
    m_dir.reset();
    ExportLayout::current() = ExportLayout();
}

void TestFormatEditor::opening()
{
    QCOMPARE(m_editor->windowTitle(), QStringLiteral("แก้ไขรูปแบบ"));
    QCOMPARE(child<QPushButton>("cmdAdd")->text(), QStringLiteral("เลือก"));
    QCOMPARE(child<QPushButton>("cmdDelete")->text(), QStringLiteral("ลบ"));
    QCOMPARE(child<QPushButton>("cmdUp")->text(), QStringLiteral("ขึ้น"));
    QCOMPARE(child<QPushButton>("cmdDown")->text(), QStringLiteral("ลง"));
    QCOMPARE(child<QPushButton>("cmdSaveExit")->text(), QStringLiteral("บันทึก"));
    QCOMPARE(child<QPushButton>("cmdCancel")->text(), QStringLiteral("ยกเลิก"));
    QStringList frames;
    for (const QGroupBox* box : m_editor->findChildren<QGroupBox*>())
        frames.append(box->title());
    for (const char* title : {"ฟิลด์ทั้งหมด", "ฟิลด์ส่งออก", "รูปแบบฟิลด์", "ตัวคั้นฟิลด์", "ตัวอย่าง"})
        QVERIFY2(frames.contains(QString::fromUtf8(title)), title);

    // the field list: header and the seven fields with their starting widths
    QAbstractItemModel* all = fieldList()->model();
    QCOMPARE(all->rowCount(), 8);
    QCOMPARE(all->index(0, 0).data().toString(), QStringLiteral("ฟิลด์ข้อมูล"));
    QCOMPARE(all->index(0, 1).data().toString(), QStringLiteral("ความกว้าง"));
    QCOMPARE(all->index(4, 0).data().toString(), QStringLiteral("Date"));
    QCOMPARE(all->index(4, 1).data().toString(), QStringLiteral("10"));
    QCOMPARE(grid()->model()->rowCount(), 1);
    QVERIFY(fieldList()->selectionModel()->selectedIndexes().isEmpty());
    QCOMPARE(fieldList()->columnWidth(0), qRound(2000 * fieldList()->logicalDpiX() / 1440.0));
    QCOMPARE(fieldList()->columnWidth(1), qRound(600 * fieldList()->logicalDpiX() / 1440.0));
    QVERIFY(grid()->width() > fieldList()->width());

    QCOMPARE(child<QRadioButton>("Option1")->text(), QStringLiteral("2024"));
    QCOMPARE(child<QRadioButton>("Option2")->text(), QStringLiteral("2567"));
    QCOMPARE(child<QComboBox>("cmbDataFormat")->currentText(), QStringLiteral("dd/MM/yyyy"));
    QCOMPARE(child<QComboBox>("combformatTime")->currentText(), QStringLiteral("HH:mm:ss"));
    QCOMPARE(child<QComboBox>("cmbAlignmentData")->currentText(), QStringLiteral("Right"));
    QVERIFY(child<QRadioButton>("optDelimiter_5")->isChecked());
    QCOMPARE(child<QRadioButton>("optDelimiter_5")->text(), QStringLiteral("Non"));
    QCOMPARE(child<QLineEdit>("txtDelimiter")->text(), QStringLiteral("@@"));
    QCOMPARE(draft().delimiter, QString());
    QCOMPARE(child<QLineEdit>("txtFileName")->text(), QString());
    QCOMPARE(child<QLineEdit>("txtViewName")->text(), QStringLiteral("ชื่อรูปแบบ"));
    QVERIFY(!shown("txtViewName"));
    QVERIFY(child<QLabel>("Label2")->text().startsWith(QStringLiteral("0         10        20")));
    QVERIFY(child<QLabel>("Label2")->text().endsWith(QStringLiteral("80")));
    QCOMPARE(child<QLabel>("Label2")->text().indexOf(QStringLiteral("80")), 80);

    // before the first refresh: width and alignment with their labels and the two boxes
    for (const char* name : {"lbl_1", "txtFormatData_1", "lbl_2", "cmbAlignmentData", "optIN", "optOUT"})
        QVERIFY2(shown(name), name);
    for (const char* name : {"lbl_8", "txtStr", "cmbDataFormat", "combformatTime", "Option1", "XPFrame1"})
        QVERIFY2(!shown(name), name);
}

void TestFormatEditor::addingUidToAnEmptyLayout()
{
    addField(QStringLiteral("UID"));
    QCOMPARE(m_editor->exportFields().fieldRows(),
             (QList<LayoutRow>{{QStringLiteral("UID"), QStringLiteral("12")}}));
    QCOMPARE(settingsOf(1), QStringLiteral("10"));
    QCOMPARE(m_editor->selectedRow(), 1);
    QCOMPARE(m_editor->selectedField(), 0);
    QVERIFY(fieldList()->selectionModel()->selectedIndexes().isEmpty());
    QCOMPARE(child<QLabel>("Label1")->text(), QStringLiteral("UID"));
    QCOMPARE(child<QLineEdit>("txtFormatData_1")->text(), QStringLiteral("12"));
    QCOMPARE(child<QComboBox>("cmbAlignmentData")->currentText(), QStringLiteral("Right"));
    QCOMPARE(child<QLineEdit>("txtStr")->text(), QStringLiteral("0"));
    QVERIFY(shown("txtStr"));
    QCOMPARE(preview(), QStringLiteral("0000001"));

    addField(QStringLiteral("Group"));
    QCOMPARE(names(), (QStringList{QStringLiteral("UID"), QStringLiteral("Group")}));
    QCOMPARE(settingsOf(2), QStringLiteral("10"));
    QCOMPARE(m_editor->selectedRow(), 2);
    QCOMPARE(preview(), QStringLiteral("000000103"));
}

void TestFormatEditor::addWithoutAFieldDoesNothing()
{
    click("cmdAdd");
    clickRow(fieldList(), 0);
    click("cmdAdd");
    QCOMPARE(m_editor->exportFields().fieldCount(), 0);
    QVERIFY(m_prompter->shown().isEmpty());
}

void TestFormatEditor::deletingTheSecondOfThree()
{
    writeLayout(QStringLiteral("Three"), ThreeFields);
    QVERIFY(m_editor->loadExportLayout(QStringLiteral("Three")));
    clickRow(grid(), 2);
    QCOMPARE(child<QLabel>("Label1")->text(), QStringLiteral("Date"));
    click("cmdDelete");
    QCOMPARE(names(), (QStringList{QStringLiteral("UID"), QStringLiteral("Event")}));
    QCOMPARE(settingsOf(1), QStringLiteral("10"));
    QCOMPARE(settingsOf(2), QStringLiteral("2*"));
    QCOMPARE(m_editor->selectedRow(), 2); // the last row
    QCOMPARE(child<QLabel>("Label1")->text(), QStringLiteral("Event"));
    QCOMPARE(preview(), QStringLiteral("0000001,01"));
}

void TestFormatEditor::upOnTheSecondField()
{
    writeLayout(QStringLiteral("Three"), ThreeFields);
    QVERIFY(m_editor->loadExportLayout(QStringLiteral("Three")));
    clickRow(grid(), 2);
    click("cmdUp");
    QCOMPARE(names(), (QStringList{QStringLiteral("Date"), QStringLiteral("UID"), QStringLiteral("Event")}));
    QCOMPARE(settingsOf(1), QStringLiteral("0-"));
    QCOMPARE(settingsOf(2), QStringLiteral("10"));
    QCOMPARE(m_editor->selectedRow(), 1);
    QCOMPARE(grid()->selectionModel()->selectedRows().value(0).row(), 1);
    QCOMPARE(child<QLabel>("Label1")->text(), QStringLiteral("Date"));
    QCOMPARE(preview(), QStringLiteral("yyyy/MM/dd,0000001,01"));

    // the panel now edits the moved field at its new place
    clickRow(grid(), 2);
    child<QLineEdit>("txtStr")->setText(QStringLiteral("#"));
    QCOMPARE(settingsOf(2), QStringLiteral("1#"));
    QCOMPARE(settingsOf(1), QStringLiteral("0-"));
}

void TestFormatEditor::downAndUpAtTheEnds_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("button");
    QTest::newRow("up on first") << 1 << QStringLiteral("cmdUp");
    QTest::newRow("down on last") << 3 << QStringLiteral("cmdDown");
    QTest::newRow("up on header") << 0 << QStringLiteral("cmdUp");
    QTest::newRow("down on header") << 0 << QStringLiteral("cmdDown");
    QTest::newRow("delete on header") << 0 << QStringLiteral("cmdDelete");
}

void TestFormatEditor::downAndUpAtTheEnds()
{
    QFETCH(int, row);
    QFETCH(QString, button);
    writeLayout(QStringLiteral("Three"), ThreeFields);
    QVERIFY(m_editor->loadExportLayout(QStringLiteral("Three")));
    clickRow(grid(), row);
    const QString before = preview();
    click(button.toLatin1().constData());
    QCOMPARE(names(), (QStringList{QStringLiteral("UID"), QStringLiteral("Date"), QStringLiteral("Event")}));
    QCOMPARE(m_editor->selectedRow(), row);
    QCOMPARE(preview(), before);
    QVERIFY(m_prompter->shown().isEmpty());

    if (button == QStringLiteral("cmdUp") && row == 1) {
        click("cmdDown");
        QCOMPARE(names(),
                 (QStringList{QStringLiteral("Date"), QStringLiteral("UID"), QStringLiteral("Event")}));
        QCOMPARE(m_editor->selectedRow(), 2);
        QCOMPARE(settingsOf(1), QStringLiteral("0-"));
    }
}

void TestFormatEditor::deletingTheLastField()
{
    addField(QStringLiteral("Date"));
    QVERIFY(shown("cmbDataFormat"));
    click("cmdDelete");
    QCOMPARE(m_editor->exportFields().fieldCount(), 0);
    QCOMPARE(m_editor->selectedRow(), 0);
    QCOMPARE(preview(), QString());
    for (const char* name :
         {"lbl_1", "txtFormatData_1", "lbl_2", "cmbAlignmentData", "lbl_3", "cmbDataFormat", "combformatTime",
          "Option1", "Option2", "lbl_8", "txtStr", "XPFrame1", "optIN"})
        QVERIFY2(!shown(name), name);
    QCOMPARE(child<QLabel>("Label1")->text(), QString());
}

void TestFormatEditor::saveNewLayoutNamedWeek()
{
    m_editor->setEditorMode(FormatEditor::NewLayout);
    addField(QStringLiteral("UID"));
    addField(QStringLiteral("Date"));
    child<QRadioButton>("Option2")->click();
    addField(QStringLiteral("Event"));
    child<QRadioButton>("optDelimiter_1")->click();
    QTest::keyClicks(child<QLineEdit>("txtFileName"), QStringLiteral("Week"));
    click("cmdSaveExit");

    QCOMPARE(m_host->calls, (QStringList{QStringLiteral("add Week"), QStringLiteral("show Week"),
                                         QStringLiteral("load Week")}));
    QVERIFY(m_editor->isHidden());
    QVERIFY(m_prompter->shown().isEmpty());
    const QString path = m_context->paths.layoutFile(QStringLiteral("Week"));
    QCOMPARE(ExportLayout::current().path, path);
    QVERIFY(ExportLayout::current() == draft()); // the saved layout is the program's current one
    QCOMPARE(stored(QStringLiteral("Week"), QStringLiteral("ZUNDataView"), QStringLiteral("Rows")),
             QStringLiteral("3"));
    QCOMPARE(stored(QStringLiteral("Week"), QStringLiteral("ZUNDataView"), QStringLiteral("Delimiter")),
             QStringLiteral(","));
    QCOMPARE(stored(QStringLiteral("Week"), QStringLiteral("ZUNData\\ROW\\2"), QStringLiteral("TextMatrix")),
             QStringLiteral("Date"));
    QCOMPARE(stored(QStringLiteral("Week"), QStringLiteral("ZUNData\\ROW\\2"), QStringLiteral("FormatYear")),
             QStringLiteral("TH"));
    QCOMPARE(stored(QStringLiteral("Week"), QStringLiteral("ZUNData\\ROW\\1"), QStringLiteral("FormatYear")),
             QStringLiteral("EN"));
    QCOMPARE(stored(QStringLiteral("Week"), QStringLiteral("ZUNData\\ROW\\3"), QStringLiteral("IN")),
             QString());
    QCOMPARE(stored(QStringLiteral("Week"), QStringLiteral("ZUNData\\ROW\\3"), QStringLiteral("OUTOnly")),
             QStringLiteral("0"));
}

void TestFormatEditor::saveEditedLayout()
{
    writeLayout(QStringLiteral("Three"), ThreeFields);
    m_editor->setEditorMode(FormatEditor::EditLayout);
    QVERIFY(m_editor->loadExportLayout(QStringLiteral("Three")));
    QCOMPARE(child<QLineEdit>("txtFileName")->text(), QStringLiteral("Three"));
    QCOMPARE(child<QLineEdit>("txtViewName")->text(), QStringLiteral("Three"));
    clickRow(grid(), 1);
    child<QComboBox>("cmbAlignmentData")->setCurrentIndex(2);
    click("cmdSaveExit");

    // the list is offered the name in this mode too; it takes no duplicate
    QCOMPARE(m_host->calls, (QStringList{QStringLiteral("add Three"), QStringLiteral("show Three"),
                                         QStringLiteral("load Three")}));
    QVERIFY(m_editor->isHidden());
    QCOMPARE(
        stored(QStringLiteral("Three"), QStringLiteral("ZUNData\\ROW\\1"), QStringLiteral("AlignmentData")),
        QStringLiteral("2"));
    QCOMPARE(stored(QStringLiteral("Three"), QStringLiteral("ZUNData\\ROW\\3"), QStringLiteral("OUTOnly")),
             QStringLiteral("1"));
    QCOMPARE(
        stored(QStringLiteral("Three"), QStringLiteral("ZUNData\\ROW\\1"), QStringLiteral("FormatDateType")),
        QStringLiteral("1"));
}

void TestFormatEditor::emptyNameIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks") << QStringLiteral("   ");
}

void TestFormatEditor::emptyNameIsRefused()
{
    QFETCH(QString, name);
    m_editor->setEditorMode(FormatEditor::NewLayout);
    addField(QStringLiteral("UID"));
    child<QLineEdit>("txtFileName")->setText(name);
    click("cmdSaveExit");
    QCOMPARE(m_prompter->shown().size(), 1);
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Critical);
    QCOMPARE(m_prompter->last().text, QStringLiteral("กรุณากรอกชื่อไฟล์รูปแบบ"));
    QCOMPARE(m_prompter->last().title, QStringLiteral("ยังไม่ได้กรอกชื่อไฟล์รูปแบบ"));
    QVERIFY(m_host->calls.isEmpty());
    QVERIFY(m_editor->isVisible());
    QVERIFY(QDir(m_context->paths.exportFormatDir()).entryList(QDir::Files).isEmpty());
}

void TestFormatEditor::cancelAfterDelete()
{
    writeLayout(QStringLiteral("Three"), ThreeFields);
    const QByteArray before = TestFiles::read(m_context->paths.layoutFile(QStringLiteral("Three")));
    ExportLayout::current().alignments = {2, 0};
    ExportLayout::current().pads = {QStringLiteral("#"), QStringLiteral("0")};
    ExportLayout::current().delimiter = QStringLiteral(";");
    const ExportLayout shared = ExportLayout::current();
    QVERIFY(m_editor->loadExportLayout(QStringLiteral("Three")));
    clickRow(grid(), 1);
    click("cmdDelete");
    child<QRadioButton>("optDelimiter_3")->click();
    click("cmdCancel");
    QVERIFY(m_editor->isHidden());
    QVERIFY(m_host->calls.isEmpty());
    QCOMPARE(TestFiles::read(m_context->paths.layoutFile(QStringLiteral("Three"))), before);
    // the program's current layout is as the editor found it
    QVERIFY(ExportLayout::current() == shared);
}

void TestFormatEditor::frameCloseIsCancel()
{
    writeLayout(QStringLiteral("Three"), ThreeFields);
    QMdiArea area;
    area.resize(1000, 700);
    FormatEditor* editor = m_editor.release();
    QPointer<QMdiSubWindow> frame = area.addSubWindow(editor);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    area.show();
    frame->show();
    const ExportLayout shared = ExportLayout::current();
    QVERIFY(editor->loadExportLayout(QStringLiteral("Three")));
    QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("cmdDelete")), Qt::LeftButton);
    const QByteArray before = TestFiles::read(m_context->paths.layoutFile(QStringLiteral("Three")));
    QVERIFY(frame->close());
    QTRY_VERIFY(frame.isNull());
    QVERIFY(m_host->calls.isEmpty());
    QCOMPARE(TestFiles::read(m_context->paths.layoutFile(QStringLiteral("Three"))), before);
    QVERIFY(ExportLayout::current() == shared);

    // Cancel closes the frame around the editor, not only the editor
    newEditor();
    editor = m_editor.release();
    frame = area.addSubWindow(editor);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->show();
    QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
    QTRY_VERIFY(frame.isNull());
}

void TestFormatEditor::widthBoxTakesDigitsOnly()
{
    addField(QStringLiteral("UID"));
    QLineEdit* width = child<QLineEdit>("txtFormatData_1");
    width->setFocus();
    width->selectAll();
    QTest::keyClick(width, Qt::Key_1);
    QCOMPARE(width->text(), QStringLiteral("1"));
    QCOMPARE(m_editor->exportFields().row(1).width, QStringLiteral("1"));
    QCOMPARE(preview(), QStringLiteral("0"));
    QTest::keyClick(width, Qt::Key_5);
    QCOMPARE(width->text(), QStringLiteral("15"));
    QCOMPARE(m_editor->exportFields().row(1).width, QStringLiteral("15"));
    QCOMPARE(grid()->model()->index(1, 1).data().toString(), QStringLiteral("15"));
    QCOMPARE(preview(), QStringLiteral("0000000001"));
    QTest::keyClick(width, Qt::Key_A);
    QCOMPARE(width->text(), QStringLiteral("15"));
    QCOMPARE(m_editor->exportFields().row(1).width, QStringLiteral("15"));
    QTest::keyClicks(width, QStringLiteral("-"));
    QCOMPARE(width->text(), QStringLiteral("15"));

    // a text pasted after an accepted key is no width either
    QTest::keyClick(width, Qt::Key_2);
    QCOMPARE(width->text(), QStringLiteral("152"));
    width->insert(QStringLiteral("x"));
    QCOMPARE(width->text(), QStringLiteral("152"));
    QCOMPARE(m_editor->exportFields().row(1).width, QStringLiteral("152"));
}

void TestFormatEditor::widthBoxBackspace()
{
    addField(QStringLiteral("UID"));
    QLineEdit* width = child<QLineEdit>("txtFormatData_1");
    width->setFocus();
    width->end(false);
    QTest::keyClick(width, Qt::Key_Backspace);
    QCOMPARE(width->text(), QStringLiteral("1"));
    QCOMPARE(m_editor->exportFields().row(1).width, QStringLiteral("1"));
    QTest::keyClick(width, Qt::Key_Backspace);
    QCOMPARE(m_editor->exportFields().row(1).width, QString());
    QCOMPARE(preview(), QString()); // width 0 leaves the field out
}

void TestFormatEditor::alignmentAndPadPerRow()
{
    addField(QStringLiteral("Kestrum ID"));
    addField(QStringLiteral("Group"));
    clickRow(grid(), 1);
    child<QComboBox>("cmbAlignmentData")->setCurrentIndex(0);
    child<QLineEdit>("txtStr")->setText(QStringLiteral("*"));
    QCOMPARE(settingsOf(1), QStringLiteral("0*"));
    QCOMPARE(settingsOf(2), QStringLiteral("10"));
    // the preview keeps the old filling until the next rebuild
    QCOMPARE(preview(), QStringLiteral("0203"));
    QLineEdit* width = child<QLineEdit>("txtFormatData_1");
    width->setFocus();
    width->selectAll();
    QTest::keyClick(width, Qt::Key_5);
    QCOMPARE(preview(), QStringLiteral("02**03"));

    clickRow(grid(), 2);
    QCOMPARE(child<QComboBox>("cmbAlignmentData")->currentText(), QStringLiteral("Right"));
    QCOMPARE(child<QLineEdit>("txtStr")->text(), QStringLiteral("0"));
    clickRow(grid(), 1);
    QCOMPARE(child<QComboBox>("cmbAlignmentData")->currentText(), QStringLiteral("Left"));
    QCOMPARE(child<QLineEdit>("txtStr")->text(), QStringLiteral("*"));
    QCOMPARE(child<QLineEdit>("txtFormatData_1")->text(), QStringLiteral("5"));
}

void TestFormatEditor::dateRowWithYearFormTH()
{
    writeLayout(QStringLiteral("Three"), ThreeFields);
    QVERIFY(m_editor->loadExportLayout(QStringLiteral("Three")));
    QCOMPARE(draft().yearForm, QStringLiteral("TH"));
    clickRow(grid(), 2);
    QCOMPARE(child<QLabel>("Label1")->text(), QStringLiteral("Date"));
    for (const char* name : {"lbl_1", "txtFormatData_1", "lbl_2", "cmbAlignmentData", "lbl_8", "txtStr"})
        QVERIFY2(!shown(name), name);
    for (const char* name : {"lbl_3", "cmbDataFormat", "lbl_7", "Option1", "Option2"})
        QVERIFY2(shown(name), name);
    QVERIFY(!shown("combformatTime"));
    QVERIFY(child<QRadioButton>("Option2")->isChecked());
    QCOMPARE(child<QComboBox>("cmbDataFormat")->currentText(), QStringLiteral("yyyy/MM/dd"));

    child<QRadioButton>("Option1")->click();
    QCOMPARE(draft().yearForm, QStringLiteral("EN"));
    child<QRadioButton>("Option2")->click();
    QCOMPARE(draft().yearForm, QStringLiteral("TH"));
    // another row and back: the panel shows the year form it holds
    child<QRadioButton>("Option1")->click();
    clickRow(grid(), 1);
    clickRow(grid(), 2);
    QVERIFY(child<QRadioButton>("Option1")->isChecked());
}

void TestFormatEditor::timeRowShowsTimePatterns()
{
    addField(QStringLiteral("Time"));
    QVERIFY(shown("combformatTime"));
    QVERIFY(shown("lbl_3"));
    QVERIFY(!shown("cmbDataFormat"));
    QVERIFY(!shown("txtFormatData_1"));
    QVERIFY(!shown("Option1"));
    QCOMPARE(child<QComboBox>("combformatTime")->count(), 2);
}

void TestFormatEditor::eventRowInOnlyClearsOutOnly()
{
    writeLayout(QStringLiteral("Three"), ThreeFields);
    QVERIFY(m_editor->loadExportLayout(QStringLiteral("Three")));
    clickRow(grid(), 3);
    for (const char* name :
         {"lbl_5", "txtIN", "lbl_6", "txtOUT", "optIN", "optOUT", "XPFrame1", "lbl_2", "cmbAlignmentData"})
        QVERIFY2(shown(name), name);
    for (const char* name : {"lbl_1", "txtFormatData_1", "lbl_8", "txtStr"})
        QVERIFY2(!shown(name), name);
    QCOMPARE(child<QLineEdit>("txtIN")->text(), QStringLiteral("I"));
    QCOMPARE(child<QLineEdit>("txtOUT")->text(), QStringLiteral("O"));
    QVERIFY(child<QCheckBox>("optOUT")->isChecked());
    QVERIFY(!child<QCheckBox>("optIN")->isChecked());

    child<QCheckBox>("optIN")->click();
    QVERIFY(child<QCheckBox>("optIN")->isChecked());
    QVERIFY(!child<QCheckBox>("optOUT")->isChecked());
    QCOMPARE(draft().inOnly, qint16(1));
    QCOMPARE(draft().outOnly, qint16(0));
    child<QCheckBox>("optIN")->click();
    QCOMPARE(draft().inOnly, qint16(0));
    child<QCheckBox>("optOUT")->click();
    QCOMPARE(draft().outOnly, qint16(1));
    QCOMPARE(draft().inOnly, qint16(0));

    child<QLineEdit>("txtIN")->setText(QStringLiteral("เข้า"));
    child<QLineEdit>("txtOUT")->clear();
    QCOMPARE(draft().inText, QStringLiteral("เข้า"));
    QCOMPARE(draft().outText, QString());
}

void TestFormatEditor::customDelimiter()
{
    addField(QStringLiteral("Kestrum ID"));
    addField(QStringLiteral("Group"));
    QRadioButton* custom = child<QRadioButton>("optDelimiter_4");
    QCOMPARE(custom->text(), QStringLiteral("Custom.."));
    custom->click();
    QCOMPARE(draft().delimiter, QStringLiteral("@@"));
    QCOMPARE(preview(), QStringLiteral("02@@03"));
    QLineEdit* box = child<QLineEdit>("txtDelimiter");
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("|"));
    QCOMPARE(draft().delimiter, QStringLiteral("@@"));
    QCOMPARE(preview(), QStringLiteral("02@@03"));
    custom->click();
    QCOMPARE(draft().delimiter, QStringLiteral("|"));
    QCOMPARE(preview(), QStringLiteral("02|03"));
    child<QRadioButton>("optDelimiter_3")->click();
    QCOMPARE(draft().delimiter, QStringLiteral("TAB"));
    QCOMPARE(preview(), QStringLiteral("02\t03"));
    child<QRadioButton>("optDelimiter_2")->click();
    QCOMPARE(preview(), QStringLiteral("02 03"));
}

void TestFormatEditor::delimiterLoadedFromFile_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("preview");
    QTest::addColumn<QString>("customBox");
    QTest::newRow("bar") << QByteArray("|") << QStringLiteral("optDelimiter_4") << QStringLiteral("02|03")
                         << QStringLiteral("|");
    QTest::newRow("semicolon") << QByteArray(";") << QStringLiteral("optDelimiter_0")
                               << QStringLiteral("02;03") << QStringLiteral("@@");
    QTest::newRow("TAB") << QByteArray("TAB") << QStringLiteral("optDelimiter_3") << QStringLiteral("02\t03")
                         << QStringLiteral("@@");
    QTest::newRow("none") << QByteArray() << QStringLiteral("optDelimiter_5") << QStringLiteral("0203")
                          << QStringLiteral("@@");
}

void TestFormatEditor::delimiterLoadedFromFile()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, option);
    QFETCH(QString, preview);
    QFETCH(QString, customBox);
    const QByteArray text =
        "[ZUNDataView]\nRows=2\nDelimiter=" + stored +
        "\n[ZUNData\\ROW\\1]\nTextMatrix=Kestrum ID\nFixedWidth=3\nAlignmentData=1\nspData=0\n"
        "[ZUNData\\ROW\\2]\nTextMatrix=Group\nFixedWidth=3\nAlignmentData=1\nspData=0\n";
    writeLayout(QStringLiteral("Bar"), text.constData());
    QVERIFY(m_editor->loadExportLayout(QStringLiteral("Bar")));
    QVERIFY(child<QRadioButton>(option.toLatin1().constData())->isChecked());
    QCOMPARE(child<QLineEdit>("txtDelimiter")->text(), customBox);
    QCOMPARE(this->preview(), preview);
    QCOMPARE(draft().delimiter, QString::fromLatin1(stored));
}

void TestFormatEditor::patternChoiceIsSavedAndPreviewedNextTime()
{
    addField(QStringLiteral("Date"));
    QCOMPARE(preview(), QStringLiteral("dd/MM/yyyy"));
    child<QComboBox>("cmbDataFormat")->setCurrentIndex(4);
    QCOMPARE(preview(), QStringLiteral("dd/MM/yyyy"));
    addField(QStringLiteral("Time"));
    child<QComboBox>("combformatTime")->setCurrentIndex(1);
    child<QRadioButton>("optDelimiter_0")->click();
    QCOMPARE(preview(), QStringLiteral("yyMMdd;HH:mm"));
    child<QLineEdit>("txtFileName")->setText(QStringLiteral("Short"));
    click("cmdSaveExit");
    for (const char* row : {"ZUNData\\ROW\\1", "ZUNData\\ROW\\2"}) {
        QCOMPARE(stored(QStringLiteral("Short"), QString::fromLatin1(row), QStringLiteral("FormatDateType")),
                 QStringLiteral("4"));
        QCOMPARE(stored(QStringLiteral("Short"), QString::fromLatin1(row), QStringLiteral("FormatTimeType")),
                 QStringLiteral("1"));
    }
}

void TestFormatEditor::missingOrCancelledFileLeavesEditor_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("icon");
    QTest::newRow("missing layout") << QStringLiteral("Gone") << QString() << int(Prompter::Icon::Warning);
    QTest::newRow("cancelled dialog") << QString() << QString() << int(Prompter::Icon::Information);
    QTest::newRow("picked file missing")
        << QString() << QStringLiteral("nowhere/Gone.ini") << int(Prompter::Icon::Warning);
}

void TestFormatEditor::missingOrCancelledFileLeavesEditor()
{
    QFETCH(QString, name);
    QFETCH(QString, answer);
    QFETCH(int, icon);
    writeLayout(QStringLiteral("Three"), ThreeFields);
    QVERIFY(m_editor->loadExportLayout(QStringLiteral("Three")));
    clickRow(grid(), 2);
    const ExportLayout before = draft();
    const QString previewBefore = preview();
    if (!answer.isEmpty())
        m_prompter->queueFileName(m_dir->filePath(answer));

    QVERIFY(!m_editor->loadExportLayout(name));
    QCOMPARE(m_prompter->shown().size(), 1);
    QCOMPARE(int(m_prompter->last().icon), icon);
    QVERIFY(m_prompter->last().text.contains(QStringLiteral("keeps the layout")));
    QCOMPARE(names(), (QStringList{QStringLiteral("UID"), QStringLiteral("Date"), QStringLiteral("Event")}));
    QCOMPARE(child<QLineEdit>("txtFileName")->text(), QStringLiteral("Three"));
    QCOMPARE(m_editor->selectedRow(), 2);
    QCOMPARE(preview(), previewBefore);
    const ExportLayout& after = draft();
    QCOMPARE(after.path, before.path);
    QCOMPARE(after.alignments, before.alignments);
    QCOMPARE(after.pads, before.pads);
    QCOMPARE(after.delimiter, before.delimiter);
    QCOMPARE(after.yearForm, before.yearForm);
}

void TestFormatEditor::pickedFileIsLoaded()
{
    writeLayout(QStringLiteral("Three"), ThreeFields);
    m_prompter->queueFileName(m_context->paths.layoutFile(QStringLiteral("Three")));
    QVERIFY(m_editor->loadExportLayout());
    QCOMPARE(m_prompter->fileAsks().size(), 1);
    QCOMPARE(m_prompter->fileAsks().first().filter, QStringLiteral("ini Files (*.ini)|*.ini"));
    QCOMPARE(names().size(), 3);
    QCOMPARE(child<QLineEdit>("txtFileName")->text(), QStringLiteral("Three"));
    QCOMPARE(m_editor->selectedRow(), 1);
    QCOMPARE(child<QLabel>("Label1")->text(), QStringLiteral("UID"));
    QCOMPARE(preview(), QStringLiteral("0000001,yyyy/MM/dd,01"));
}

void TestFormatEditor::headerRowEditsNothing()
{
    writeLayout(QStringLiteral("Three"), ThreeFields);
    QVERIFY(m_editor->loadExportLayout(QStringLiteral("Three")));
    clickRow(grid(), 0);
    QCOMPARE(m_editor->selectedRow(), 0);
    QVERIFY(grid()->selectionModel()->selectedIndexes().isEmpty());
    QCOMPARE(child<QLabel>("Label1")->text(), QString());
    for (const char* name :
         {"txtFormatData_1", "cmbAlignmentData", "txtStr", "cmbDataFormat", "txtIN", "optIN"})
        QVERIFY2(!shown(name) || !child<QWidget>(name)->isEnabled(), name);
    // whatever reaches the controls is not stored anywhere
    child<QComboBox>("cmbAlignmentData")->setCurrentIndex(0);
    child<QLineEdit>("txtStr")->setText(QStringLiteral("#"));
    QCOMPARE(settingsOf(1), QStringLiteral("10"));
    QCOMPARE(m_editor->exportFields().row(0).width, QStringLiteral("ความกว้าง"));
    QCOMPARE(names().size(), 3);
}

void TestFormatEditor::openingLeavesFirstAlignmentAlone()
{
    ExportLayout::current().alignments = {0, 2};
    ExportLayout::current().pads = {QStringLiteral("x"), QString()};
    ExportLayout::current().delimiter = QStringLiteral(",");
    const ExportLayout shared = ExportLayout::current();
    newEditor();
    QCOMPARE(draft().alignments, (QList<qint16>{0, 2}));
    QCOMPARE(draft().pads.first(), QStringLiteral("x"));
    QCOMPARE(draft().delimiter, QString()); // opening chooses no delimiter, in the draft only
    QVERIFY(ExportLayout::current() == shared);
}

void TestFormatEditor::roundTripWithoutChanges()
{
    writeLayout(QStringLiteral("Three"), ThreeFields);
    QVERIFY(m_editor->loadExportLayout(QStringLiteral("Three")));
    for (int r = 0; r <= 3; ++r)
        clickRow(grid(), r);
    click("cmdSaveExit");
    const QString path = m_context->paths.layoutFile(QStringLiteral("Three"));
    const QStringList sections = {QStringLiteral("ZUNData\\ROW\\1"), QStringLiteral("ZUNData\\ROW\\2"),
                                  QStringLiteral("ZUNData\\ROW\\3")};
    const QStringList expectedAlignments = {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("2")};
    const QStringList expectedPads = {QStringLiteral("0"), QStringLiteral("-"), QStringLiteral("*")};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(readLayoutValue(sections[i], QStringLiteral("AlignmentData"), path), expectedAlignments[i]);
        QCOMPARE(readLayoutValue(sections[i], QStringLiteral("spData"), path), expectedPads[i]);
        QCOMPARE(readLayoutValue(sections[i], QStringLiteral("IN"), path), QStringLiteral("I"));
    }
    QCOMPARE(readLayoutValue(sections[1], QStringLiteral("FormatYear"), path), QStringLiteral("TH"));
    QCOMPARE(readLayoutValue(sections[2], QStringLiteral("OUTOnly"), path), QStringLiteral("1"));
    QCOMPARE(readLayoutValue(QStringLiteral("ZUNDataView"), QStringLiteral("ViewName"), path),
             QStringLiteral("Three"));
}

void TestFormatEditor::layoutOfFiveFields()
{
    m_editor->setEditorMode(FormatEditor::NewLayout);
    for (const char* name : {"UID", "Kestrum ID", "Date", "Time", "Event"})
        addField(QString::fromLatin1(name));
    child<QRadioButton>("optDelimiter_1")->click();
    clickRow(grid(), 3);
    child<QRadioButton>("Option2")->click();
    child<QLineEdit>("txtFileName")->setText(QStringLiteral("Week"));
    QCOMPARE(preview(), QStringLiteral("0000001,02,dd/MM/yyyy,HH:mm:ss,01"));
    QCOMPARE(child<QLabel>("Label1")->text(), QStringLiteral("Date"));
    if (qEnvironmentVariableIsSet("TQ_SCREENSHOT"))
        QVERIFY(m_editor->grab().save(qEnvironmentVariable("TQ_SCREENSHOT")));
}

QTEST_MAIN(TestFormatEditor)
#include "tst_formateditor.moc"
