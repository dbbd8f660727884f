#include "core/search/PickerLists.h"
#include "core/storage/Connections.h"
#include "fixtures/TestPrompter.h"
#include "gui/export/ExportWindow.h"
#include "gui/platform/AppContext.h"
#include "gui/search/EmployeePicker.h"
#include "gui/search/TerminalPicker.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/SideBar.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The employee and terminal pickers, opened from a real export window inside a real main
// window over a fresh local database.
class TestPickers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void joinSelectedNumbers_data();
    void joinSelectedNumbers();
    void captions();
    void employeeListFromLocalTable();
    void selectedInListOrder();
    void okWritesEmployeeBox();
    void okWithNothingSelected();
    void cancelChangesNothing();
    void terminalPickerWritesTerminalBox();
    void terminalPickerLeavesChosenEmployees();
    void databaseErrorIsShown_data();
    void databaseErrorIsShown();
    void unloadingExportWindowClosesPickers();

private:
    void addPunch(const QString& hid, const QString& fid);
    template <class Picker> Picker* openPicker(const char* optionName, const char* buttonName, WindowId id);
    EmployeePicker* openEmployees()
    {
        return openPicker<EmployeePicker>("OptSearch_1", "cmdSearch", WindowId::Employee);
    }
    TerminalPicker* openTerminals()
    {
        return openPicker<TerminalPicker>("Option4", "XPButton1", WindowId::TQID);
    }
    // Selects the list rows as an operator does, Ctrl held for each further row.
    static void selectRows(QListWidget& list, const QList<int>& rows);
    QLineEdit* box(const char* name) { return m_export->findChild<QLineEdit*>(QString::fromLatin1(name)); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestPrompter> m_prompter;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<MainWindow> m_main;
    QPointer<ExportWindow> m_export;
};

void TestPickers::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir->filePath(u"config"_qs));
    m_prompter = std::make_unique<TestPrompter>();
    m_context = std::make_unique<AppContext>(AppContext{AppPaths(m_dir->path()), *m_prompter});
    m_main = std::make_unique<MainWindow>(*m_context);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    // side-bar item 2 opens the local database and the export window
    SideBar& bar = m_main->sideBar();
    QTreeWidgetItem* item = bar.itemWithValue(2);
    QTest::mouseClick(bar.viewport(), Qt::LeftButton, {}, bar.visualItemRect(item).center());
    m_export = qobject_cast<ExportWindow*>(m_main->windows().find(WindowId::Export));
    QVERIFY(m_export);
    QVERIFY(Connections::get(Connections::LocalConnection).isOpen());
}

void TestPickers::cleanup()
{
    m_main.reset();
    m_context.reset();
    m_prompter.reset();
    Connections::close(Connections::LocalConnection);
    m_dir.reset();
}

void TestPickers::addPunch(const QString& hid, const QString& fid)
{
    const Expected<QSqlQuery> done =
        executeStatement(Connections::get(Connections::LocalConnection),
                         QStringLiteral("insert into tblexport(HID,FID,GID,wDate,wTime,Status) "
                                        "values(?,?,'1','2024/05/30','08:00:00','0')"),
                         {hid, fid});
    QVERIFY2(done.ok(), qPrintable(done.error()));
}

template <class Picker>
Picker* TestPickers::openPicker(const char* optionName, const char* buttonName, WindowId id)
{
    auto* option = m_export->findChild<QRadioButton*>(QString::fromLatin1(optionName));
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
    auto* button = m_export->findChild<QPushButton*>(QString::fromLatin1(buttonName));
    if (!button || !button->isEnabled())
        return nullptr;
    QTest::mouseClick(button, Qt::LeftButton);
    return qobject_cast<Picker*>(m_main->windows().find(id));
}

void TestPickers::selectRows(QListWidget& list, const QList<int>& rows)
{
    list.clearSelection();
    for (int row : rows) {
        const QRect rect = list.visualItemRect(list.item(row));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, rect.center());
    }
}

void TestPickers::joinSelectedNumbers_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QString>("joined");
    QTest::newRow("12 and 7, listed 7, 12") << QList<int>{1, 0} << "7,12";
    QTest::newRow("one") << QList<int>{2} << "30";
    QTest::newRow("none") << QList<int>{} << "";
    QTest::newRow("twice and outside") << QList<int>{2, 2, 9, -1} << "30";
}

void TestPickers::joinSelectedNumbers()
{
    QFETCH(QList<int>, rows);
    QFETCH(QString, joined);
    QCOMPARE(::joinSelectedNumbers({u"7"_qs, u"12"_qs, u"30"_qs}, rows), joined);
}

void TestPickers::captions()
{
    addPunch(u"7"_qs, u"1"_qs);
    EmployeePicker* employees = openEmployees();
    QVERIFY(employees && employees->isVisible());
    QCOMPARE(employees->windowTitle(), QStringLiteral("เลือกพนักงาน"));
    QVERIFY(employees->findChild<QListWidget*>(u"ListEmployee"_qs));
    QCOMPARE(employees->findChild<QPushButton*>(u"cmdOK"_qs)->text(), QStringLiteral("ตกลง"));
    QCOMPARE(employees->findChild<QPushButton*>(u"cmdCancel"_qs)->text(), QStringLiteral("ยกเลิก"));
    TerminalPicker* terminals = openTerminals();
    QVERIFY(terminals && terminals->isVisible());
    QCOMPARE(terminals->windowTitle(), QStringLiteral("เลือกเครื่องสแกน"));
    QVERIFY(terminals->findChild<QListWidget*>(u"ListFID"_qs));
    QCOMPARE(terminals->findChild<QPushButton*>(u"cmdOK"_qs)->text(), QStringLiteral("ตกลง"));
    QCOMPARE(terminals->findChild<QPushButton*>(u"cmdCancel"_qs)->text(), QStringLiteral("ยกเลิก"));
}

void TestPickers::employeeListFromLocalTable()
{
    for (const char* hid : {"3", "9", "3", "5", "9"})
        addPunch(QString::fromLatin1(hid), u"1"_qs);
    EmployeePicker* picker = openEmployees();
    QVERIFY(picker);
    auto* list = picker->findChild<QListWidget*>(u"ListEmployee"_qs);
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->item(0)->text(), QStringLiteral("3\t"));
    QCOMPARE(list->item(2)->text(), QStringLiteral("9\t"));
    QCOMPARE(picker->numbers(), (QStringList{u"3"_qs, u"5"_qs, u"9"_qs}));
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(m_export->chosenEmployees()->entries().size(), 3);
    QCOMPARE(m_export->chosenEmployees()->lastIndex(), 2);
    QVERIFY(m_export->chosenEmployees()->selectedNumbers().isEmpty());
}

void TestPickers::selectedInListOrder()
{
    // a list in the order 7, 12, as the access-control server may give it
    EmployeePicker picker(*m_context);
    QVERIFY(picker.load([] {
        return Expected<QList<PickerEntry>>(
            QList<PickerEntry>{{u"7"_qs, u"7     Ann"_qs}, {u"12"_qs, u"12     Bo"_qs}});
    }));
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QSignalSpy chosen(&picker, &NumberPicker::numbersChosen);
    auto* list = picker.findChild<QListWidget*>(u"ListEmployee"_qs);
    QCOMPARE(list->item(1)->text(), QStringLiteral("12     Bo"));
    selectRows(*list, {1, 0});
    QTest::mouseClick(picker.findChild<QPushButton*>(u"cmdOK"_qs), Qt::LeftButton);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.constFirst().constFirst().toString(), QStringLiteral("7,12"));
    QCOMPARE(picker.chosenEmployees()->selectedNumbers(), (QStringList{u"7"_qs, u"12"_qs}));
}

void TestPickers::okWritesEmployeeBox()
{
    for (const char* hid : {"3", "5", "9"})
        addPunch(QString::fromLatin1(hid), u"1"_qs);
    QPointer<EmployeePicker> picker = openEmployees();
    QVERIFY(picker);
    selectRows(*picker->findChild<QListWidget*>(u"ListEmployee"_qs), {2, 0});
    QTest::mouseClick(picker->findChild<QPushButton*>(u"cmdOK"_qs), Qt::LeftButton);
    QCOMPARE(box("txtEmployee")->text(), QStringLiteral("3,9"));
    QTRY_VERIFY(picker.isNull());
    QVERIFY(!m_main->windows().find(WindowId::Employee));
    // the chosen-employee list outlives the picker, with its flags
    const auto chosen = m_export->chosenEmployees();
    QVERIFY(chosen);
    QCOMPARE(chosen->selectedNumbers(), (QStringList{u"3"_qs, u"9"_qs}));
    QVERIFY(!chosen->entries().at(1).selected);
}

void TestPickers::okWithNothingSelected()
{
    addPunch(u"3"_qs, u"1"_qs);
    QPointer<EmployeePicker> picker = openEmployees();
    QVERIFY(picker);
    box("txtEmployee")->setText(u"44,45"_qs);
    QTest::mouseClick(picker->findChild<QPushButton*>(u"cmdOK"_qs), Qt::LeftButton);
    QCOMPARE(box("txtEmployee")->text(), QStringLiteral("44,45"));
    QTRY_VERIFY(picker.isNull());
}

void TestPickers::cancelChangesNothing()
{
    for (const char* hid : {"3", "5"})
        addPunch(QString::fromLatin1(hid), u"1"_qs);
    QPointer<EmployeePicker> picker = openEmployees();
    QVERIFY(picker);
    box("txtEmployee")->setText(u"44"_qs);
    selectRows(*picker->findChild<QListWidget*>(u"ListEmployee"_qs), {0, 1});
    QTest::mouseClick(picker->findChild<QPushButton*>(u"cmdCancel"_qs), Qt::LeftButton);
    QCOMPARE(box("txtEmployee")->text(), QStringLiteral("44"));
    QTRY_VERIFY(picker.isNull());
    QVERIFY(m_export->chosenEmployees()->selectedNumbers().isEmpty());
}

void TestPickers::terminalPickerWritesTerminalBox()
{
    addPunch(u"3"_qs, u"2"_qs);
    addPunch(u"3"_qs, u"1"_qs);
    addPunch(u"4"_qs, u"2"_qs);
    addPunch(u"5"_qs, u"4"_qs);
    QPointer<TerminalPicker> picker = openTerminals();
    QVERIFY(picker);
    auto* list = picker->findChild<QListWidget*>(u"ListFID"_qs);
    QCOMPARE(picker->numbers(), (QStringList{u"1"_qs, u"2"_qs, u"4"_qs}));
    QCOMPARE(list->item(0)->text(), QStringLiteral("1\t"));
    selectRows(*list, {2, 0});
    QTest::mouseClick(picker->findChild<QPushButton*>(u"cmdOK"_qs), Qt::LeftButton);
    QCOMPARE(box("txtFID")->text(), QStringLiteral("1,4"));
    QVERIFY(box("txtEmployee")->text().isEmpty());
    QTRY_VERIFY(picker.isNull());
}

void TestPickers::terminalPickerLeavesChosenEmployees()
{
    for (const char* hid : {"3", "5"})
        addPunch(QString::fromLatin1(hid), u"1"_qs);
    EmployeePicker* employees = openEmployees();
    QVERIFY(employees);
    selectRows(*employees->findChild<QListWidget*>(u"ListEmployee"_qs), {1});
    QTest::mouseClick(employees->findChild<QPushButton*>(u"cmdOK"_qs), Qt::LeftButton);
    const auto before = m_export->chosenEmployees();
    TerminalPicker* terminals = openTerminals();
    QVERIFY(terminals);
    selectRows(*terminals->findChild<QListWidget*>(u"ListFID"_qs), {0});
    QTest::mouseClick(terminals->findChild<QPushButton*>(u"cmdOK"_qs), Qt::LeftButton);
    QCOMPARE(m_export->chosenEmployees(), before);
    QCOMPARE(before->selectedNumbers(), QStringList{u"5"_qs});
    QCOMPARE(box("txtEmployee")->text(), QStringLiteral("5"));
}

void TestPickers::databaseErrorIsShown_data()
{
    QTest::addColumn<bool>("employees");
    QTest::newRow("employee picker") << true;
    QTest::newRow("terminal picker") << false;
}

void TestPickers::databaseErrorIsShown()
{
    QFETCH(bool, employees);
    QVERIFY(executeStatement(Connections::get(Connections::LocalConnection), u"drop table tblexport"_qs));
    QWidget* picker = employees ? static_cast<QWidget*>(openEmployees()) : openTerminals();
    QVERIFY(!picker);
    QCOMPARE(m_prompter->shown().size(), 1);
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Critical);
    QVERIFY2(m_prompter->last().text.contains(u"tblexport"_qs), qPrintable(m_prompter->last().text));
    QCOMPARE(m_main->mdiArea().subWindowList().size(), 1); // the export window only
}

void TestPickers::unloadingExportWindowClosesPickers()
{
    addPunch(u"3"_qs, u"1"_qs);
    QPointer<EmployeePicker> employees = openEmployees();
    QPointer<TerminalPicker> terminals = openTerminals();
    QVERIFY(employees && terminals);
    m_main->windows().unload(WindowId::Export);
    QTRY_VERIFY(employees.isNull() && terminals.isNull() && m_export.isNull());
    QVERIFY(m_main->mdiArea().subWindowList().isEmpty());
}

QTEST_MAIN(TestPickers)
#include "tst_pickers.moc"
