#include "core/storage/Connections.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestPrompter.h"
#include "gui/platform/AppContext.h"
#include "gui/shell/Backdrop.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/SideBar.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A plain child window standing in for the windows the side bar opens; it records the item it
// was prepared for.
class Probe final : public QWidget
{
public:
    explicit Probe(AppContext&) { resize(400, 300); }
    int preparedFor = 0;
};

} // namespace

// Every test starts from an empty data directory, an empty time-attendance settings store (so
// that database is unreachable) and a fresh main window.
class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void caption();
    void sideBarItems_data();
    void sideBarItems();
    void sideBarFonts();
    void unreachableTimeAttendance_data();
    void unreachableTimeAttendance();
    void unreachableTimeAttendanceKeepsOtherWindows();
    void itemOpensPreparedWindow_data();
    void itemOpensPreparedWindow();
    void itemOneClosesExportWindow();
    void windowCreatedOnceAndFreshAfterClose();
    void missingWindowIsReported();
    void connectionWindowOpensWithItsWays();
    void missingLocalDatabaseIsCreated();
    void unwritableDataDirectoryIsReported();
    void valuesOutsideTheItemsDoNothing();
    void backdropStretchesOnResize_data();
    void backdropStretchesOnResize();
    void backdropRedrawnOnActivation();

private:
    void makeWindow(const QString& dataDir);
    void click(int userData);
    void registerProbes();
    Probe* probe(WindowId id) { return dynamic_cast<Probe*>(m_main->windows().find(id)); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<TestPrompter> m_prompter;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<MainWindow> m_main;
};

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_config = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config->path());
    makeWindow(m_dir->path());
}

void TestMainWindow::makeWindow(const QString& dataDir)
{
    m_main.reset();
    m_prompter = std::make_unique<TestPrompter>();
    m_context = std::make_unique<AppContext>(AppContext{AppPaths(dataDir), *m_prompter});
    m_main = std::make_unique<MainWindow>(*m_context);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
}

void TestMainWindow::cleanup()
{
    m_main.reset();
    m_context.reset();
    m_prompter.reset();
    Connections::close(Connections::LocalConnection);
    Connections::close(Connections::TimeAttendanceConnection);
    m_config.reset();
    m_dir.reset();
}

void TestMainWindow::registerProbes()
{
    const auto record = [](Probe& w, int item) {
        w.preparedFor = item;
    };
    for (WindowId id : {WindowId::Connect, WindowId::Export, WindowId::Enroll, WindowId::ConnectSql})
        m_main->windows().add<Probe>(id, record);
    m_main->windows().add<Probe>(WindowId::EditExport);
}

// Clicks the item in the real side bar.
void TestMainWindow::click(int userData)
{
    SideBar& bar = m_main->sideBar();
    QTreeWidgetItem* item = bar.itemWithValue(userData);
    QVERIFY(item);
    bar.scrollToItem(item);
    QTest::mouseClick(bar.viewport(), Qt::LeftButton, {}, bar.visualItemRect(item).center());
}

void TestMainWindow::caption()
{
    QCOMPARE(m_main->windowTitle(), QStringLiteral(" เครื่องมือส่งออกข้อมูล TQ & QOR Tool"));
    QCOMPARE(m_main->sideBar().objectName(), QStringLiteral("dxSideBar1"));
}

void TestMainWindow::sideBarItems_data()
{
    QTest::addColumn<int>("userData");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("group");
    QTest::newRow("1") << 1 << "ดึงข้อมูลจาก TQ80&TQ90"
                       << "TQ80 & TQ90";
    QTest::newRow("2") << 2 << "ส่งข้อมูลออกบันทึกเป็นไฟล์"
                       << "TQ80 & TQ90";
    QTest::newRow("3") << 3 << "ส่งข้อมูลออกไปยัง Horavant Office"
                       << "TQ80 & TQ90";
    QTest::newRow("4") << 4 << "บันทึกพนักงานและลายนิ้วมือ"
                       << "TQ80&TQ90 Enroll";
    QTest::newRow("5") << 5 << "ส่งข้อมูลออกบันทึกเป็นไฟล์"
                       << "QORSQL";
    QTest::newRow("6") << 6 << "ส่งข้อมูลออกไปยัง Horavant Office"
                       << "QORSQL";
}

void TestMainWindow::sideBarItems()
{
    QFETCH(int, userData);
    QFETCH(QString, caption);
    QFETCH(QString, group);
    const SideBar& bar = m_main->sideBar();
    QCOMPARE(bar.topLevelItemCount(), 3);
    QTreeWidgetItem* item = bar.itemWithValue(userData);
    QVERIFY(item);
    QCOMPARE(item->text(0), caption);
    QVERIFY(item->parent());
    QCOMPARE(item->parent()->text(0), group);
    QVERIFY(!bar.visualItemRect(item).isEmpty());
}

void TestMainWindow::sideBarFonts()
{
    const SideBar& bar = m_main->sideBar();
    for (int g = 0; g < bar.topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = bar.topLevelItem(g);
        QCOMPARE(group->font(0).family(), QStringLiteral("Cordia New"));
        for (int i = 0; i < group->childCount(); ++i)
            QCOMPARE(group->child(i)->font(0).family(), QStringLiteral("MS Sans Serif"));
    }
}

void TestMainWindow::unreachableTimeAttendance_data()
{
    QTest::addColumn<int>("userData");
    QTest::newRow("export into the time-attendance database") << 3;
    QTest::newRow("access-control export into it") << 6;
}

void TestMainWindow::unreachableTimeAttendance()
{
    QFETCH(int, userData);
    registerProbes();
    click(userData);
    QCOMPARE(m_prompter->shown().size(), 1);
    const TestPrompter::Shown shown = m_prompter->last();
    // the message, then the driver's reason, then where the settings are
    const QStringList lines = shown.text.split(u'\n');
    QVERIFY2(lines.size() >= 3, qPrintable(shown.text));
    QCOMPARE(lines.first(), QStringLiteral("Can not connect database TA"));
    QVERIFY2(!lines[1].trimmed().isEmpty(), qPrintable(shown.text));
    QVERIFY2(lines.last().contains(m_config->path()), qPrintable(shown.text));
    QCOMPARE(shown.title, QStringLiteral("Not connect"));
    QCOMPARE(shown.icon, Prompter::Icon::Critical);
    QVERIFY(m_main->mdiArea().subWindowList().isEmpty());
    // the local database was opened first
    QVERIFY(Connections::get(Connections::LocalConnection).isOpen());
}

void TestMainWindow::unreachableTimeAttendanceKeepsOtherWindows()
{
    registerProbes();
    click(4);
    click(1);
    QVERIFY(probe(WindowId::Enroll));
    QPointer<Probe> connect = probe(WindowId::Connect);
    QVERIFY(connect);
    click(3);
    QVERIFY(m_prompter->last().text.startsWith(QStringLiteral("Can not connect database TA\n")));
    QVERIFY(!m_main->windows().find(WindowId::Connect));
    QTRY_VERIFY(connect.isNull());
    QVERIFY(probe(WindowId::Enroll) && probe(WindowId::Enroll)->isVisible());
    QVERIFY(!m_main->windows().find(WindowId::Export));
}

void TestMainWindow::itemOpensPreparedWindow_data()
{
    QTest::addColumn<int>("userData");
    QTest::addColumn<WindowId>("window");
    QTest::addColumn<bool>("opensLocal");
    QTest::newRow("1 connection window") << 1 << WindowId::Connect << true;
    QTest::newRow("2 export window") << 2 << WindowId::Export << true;
    QTest::newRow("4 enrolment window") << 4 << WindowId::Enroll << false;
    QTest::newRow("5 SQL Server connection window") << 5 << WindowId::ConnectSql << true;
}

void TestMainWindow::itemOpensPreparedWindow()
{
    QFETCH(int, userData);
    QFETCH(WindowId, window);
    QFETCH(bool, opensLocal);
    registerProbes();
    click(userData);
    QVERIFY2(m_prompter->shown().isEmpty(), qPrintable(m_prompter->texts().join(u'\n')));
    Probe* opened = probe(window);
    QVERIFY(opened);
    QVERIFY(opened->isVisible());
    QCOMPARE(opened->preparedFor, userData);
    QCOMPARE(m_main->mdiArea().subWindowList().size(), 1);
    QCOMPARE(Connections::get(Connections::LocalConnection).isOpen(), opensLocal);
}

void TestMainWindow::itemOneClosesExportWindow()
{
    registerProbes();
    click(2);
    QPointer<Probe> exportWindow = probe(WindowId::Export);
    QVERIFY(exportWindow);
    click(1);
    QVERIFY(!m_main->windows().find(WindowId::Export));
    QTRY_VERIFY(exportWindow.isNull());
    QVERIFY(probe(WindowId::Connect));
    click(2);
    QVERIFY(!m_main->windows().find(WindowId::Connect));
    QVERIFY(probe(WindowId::Export));
}

void TestMainWindow::windowCreatedOnceAndFreshAfterClose()
{
    registerProbes();
    click(5);
    QPointer<Probe> first = probe(WindowId::ConnectSql);
    click(5);
    QCOMPARE(probe(WindowId::ConnectSql), first.data());
    QCOMPARE(m_main->mdiArea().subWindowList().size(), 1);
    QVERIFY(m_main->mdiArea().subWindowList().constFirst()->close());
    QTRY_VERIFY(first.isNull());
    click(5);
    QVERIFY(probe(WindowId::ConnectSql));
}

void TestMainWindow::missingWindowIsReported()
{
    registerProbes();
    m_main->windows().remove(WindowId::Enroll);
    click(4);
    QCOMPARE(m_prompter->shown().size(), 1);
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Information);
    QCOMPARE(m_prompter->last().title, m_context->title);
    QVERIFY2(m_prompter->last().text.contains(QStringLiteral("enrolment window is not available")),
             qPrintable(m_prompter->last().text));
    QVERIFY(m_main->mdiArea().subWindowList().isEmpty());
}

void TestMainWindow::connectionWindowOpensWithItsWays()
{
    click(1);
    QVERIFY2(m_prompter->shown().isEmpty(), qPrintable(m_prompter->texts().join(u'\n')));
    QWidget* window = m_main->windows().find(WindowId::Connect);
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->objectName(), QStringLiteral("TerminalWindow"));
    auto* connect = window->findChild<QPushButton*>(QStringLiteral("btnconnect"));
    QVERIFY(connect && connect->isVisible());
    // the about box is reachable from its menu
    bool aboutEnabled = false;
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->objectName() == QStringLiteral("mnuabout"))
            aboutEnabled = action->isEnabled();
    }
    QVERIFY(aboutEnabled);
}

void TestMainWindow::missingLocalDatabaseIsCreated()
{
    registerProbes();
    const QString path = m_context->paths.localDatabase();
    QVERIFY(!QFile::exists(path));
    click(2);
    QVERIFY(QFile::exists(path));
    QVERIFY(m_prompter->shown().isEmpty());
    QSqlQuery query(Connections::get(Connections::LocalConnection));
    QVERIFY(query.exec(QStringLiteral("Select HID from tblexport Group by HID")));
    QVERIFY(query.exec(QStringLiteral("select * from tblExport1")));
}

void TestMainWindow::unwritableDataDirectoryIsReported()
{
    // a directory below a plain file can never be created, whatever the user's rights
    const QString file = m_dir->filePath(QStringLiteral("plain-file"));
    QVERIFY(TestFiles::write(file, "x"));
    makeWindow(file + QStringLiteral("/data"));
    registerProbes();
    click(2);
    QCOMPARE(m_prompter->shown().size(), 1);
    const TestPrompter::Shown shown = m_prompter->last();
    QCOMPARE(shown.icon, Prompter::Icon::Critical);
    QCOMPARE(shown.title, m_context->title);
    QVERIFY2(shown.text.contains(file + QStringLiteral("/data/dataexport.db")), qPrintable(shown.text));
    QVERIFY(m_main->mdiArea().subWindowList().isEmpty());
}

void TestMainWindow::valuesOutsideTheItemsDoNothing()
{
    registerProbes();
    for (int value : {0, 7, -1}) {
        m_main->dxSideBar1_ItemClick(value);
        QVERIFY(m_prompter->shown().isEmpty());
        QVERIFY(m_main->mdiArea().subWindowList().isEmpty());
    }
    // a group caption is no item
    SideBar& bar = m_main->sideBar();
    QTest::mouseClick(bar.viewport(), Qt::LeftButton, {}, bar.visualItemRect(bar.topLevelItem(0)).center());
    QVERIFY(m_prompter->shown().isEmpty());
}

void TestMainWindow::backdropStretchesOnResize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("very small") << QSize(320, 120);
    QTest::newRow("wide") << QSize(1600, 500);
    QTest::newRow("tall") << QSize(700, 1200);
}

void TestMainWindow::backdropStretchesOnResize()
{
    QFETCH(QSize, size);
    const Backdrop& backdrop = m_main->backdrop();
    QCOMPARE(backdrop.original().size(), QSize(917, 720));
    m_main->resize(size);
    QWidget* client = m_main->mdiArea().viewport();
    QTRY_COMPARE(backdrop.stretched().size(), client->size());
    QCOMPARE(m_main->mdiArea().background().texture().size(), client->size());
    // the corners of the picture reach the corners of the client area
    const QImage shown = m_main->mdiArea().background().texture().toImage();
    const QImage original = backdrop.original().toImage();
    const QImage expected = original.scaled(client->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QCOMPARE(shown.pixelColor(0, 0).name(), expected.pixelColor(0, 0).name());
    const QPoint corner(client->width() - 1, client->height() - 1);
    QCOMPARE(shown.pixelColor(corner).name(), expected.pixelColor(corner).name());
}

void TestMainWindow::backdropRedrawnOnActivation()
{
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    const qint64 before = m_main->backdrop().stretched().cacheKey();
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    QTRY_VERIFY(m_main->backdrop().stretched().cacheKey() != before);
    QCOMPARE(m_main->backdrop().stretched().size(), m_main->mdiArea().viewport()->size());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
