#include "core/storage/Connections.h"
#include "fixtures/TestPrompter.h"
#include "gui/accesscontrol/AccessControlHandOver.h"
#include "gui/accesscontrol/AccessControlLoginWindow.h"
#include "gui/platform/AppContext.h"
#include "gui/shell/WindowCatalog.h"
#include "gui/shell/WindowRegistry.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// What follows a successful connect: the export window opened for the road the operator took,
// the format editor unloaded.
class TestAccessControlHandOver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void opensExportForTheRoad_data();
    void opensExportForTheRoad();
    void withoutExportWindowSaysSo();
    void catalogPreparesTheConnectionWindow_data();
    void catalogPreparesTheConnectionWindow();
    void exportWindowPullsFirst();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestPrompter> m_prompter;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<QMainWindow> m_main;
    std::unique_ptr<WindowRegistry> m_registry;
};

void TestAccessControlHandOver::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_prompter = std::make_unique<TestPrompter>();
    m_context = std::make_unique<AppContext>(AppContext{AppPaths(m_dir->path()), *m_prompter});
    m_main = std::make_unique<QMainWindow>();
    auto* area = new QMdiArea(m_main.get());
    m_main->setCentralWidget(area);
    m_main->resize(1000, 700);
    m_main->show();
    m_registry = std::make_unique<WindowRegistry>(*m_context, *m_main, *area);
}

void TestAccessControlHandOver::cleanup()
{
    m_registry.reset();
    m_main.reset();
}

void TestAccessControlHandOver::opensExportForTheRoad_data()
{
    QTest::addColumn<bool>("fileMode");
    QTest::addColumn<int>("item");
    QTest::newRow("to a text file") << true << 5;
    QTest::newRow("into the time-attendance database") << false << 6;
}

void TestAccessControlHandOver::opensExportForTheRoad()
{
    QFETCH(bool, fileMode);
    QFETCH(int, item);
    int preparedFor = 0;
    m_registry->addFactory(
        WindowId::Export, [](AppContext&) { return new QWidget; },
        [&preparedFor](QWidget&, int i) { preparedFor = i; });
    m_registry->addFactory(WindowId::EditExport, [](AppContext&) { return new QWidget; });
    QVERIFY(m_registry->open(WindowId::EditExport));
    const Outcome handed = openAccessControlExport(*m_registry, fileMode);
    QVERIFY2(handed.ok(), qPrintable(handed.error()));
    QCOMPARE(preparedFor, item);
    QVERIFY(m_registry->find(WindowId::Export));
    QVERIFY(m_registry->find(WindowId::Export)->isVisible());
    QTRY_VERIFY(!m_registry->find(WindowId::EditExport));
}

void TestAccessControlHandOver::withoutExportWindowSaysSo()
{
    const Outcome handed = openAccessControlExport(*m_registry, true);
    QVERIFY(!handed);
    QVERIFY2(handed.error().contains(QStringLiteral("export window is not available")),
             qPrintable(handed.error()));
}

void TestAccessControlHandOver::catalogPreparesTheConnectionWindow_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<bool>("fileMode");
    QTest::newRow("side-bar item 5") << 5 << true;
    QTest::newRow("side-bar item 6") << 6 << false;
}

void TestAccessControlHandOver::catalogPreparesTheConnectionWindow()
{
    QFETCH(int, item);
    QFETCH(bool, fileMode);
    registerWindows(*m_registry);
    auto* w = qobject_cast<AccessControlLoginWindow*>(m_registry->open(WindowId::ConnectSql, item));
    QVERIFY(w);
    QCOMPARE(w->fileMode(), fileMode);
    QVERIFY(w->isVisible());
}

void TestAccessControlHandOver::exportWindowPullsFirst()
{
    QVERIFY(openLocalDatabase(m_context->paths).ok());
    registerWindows(*m_registry);
    const Outcome handed = openAccessControlExport(*m_registry, true);
    QVERIFY2(handed.ok(), qPrintable(handed.error()));
    auto* button =
        m_registry->find(WindowId::Export)->findChild<QPushButton*>(QStringLiteral("cmdQROSQLExport"));
    QVERIFY(button);
    QVERIFY(button->isVisible());
    m_prompter->queueAnswer(Prompter::Answer::No);
    QTest::mouseClick(button, Qt::LeftButton);
    // The question comes first; no service is reachable without a host, so the export goes on
    // to its file dialog, which the test cancels.
    QVERIFY(!m_prompter->shown().isEmpty());
    QCOMPARE(m_prompter->shown().first().title, QStringLiteral("จัดการข้อมูลในเครื่องสแกน"));
    QCOMPARE(m_prompter->fileAsks().size(), 1);
    m_registry->unload(WindowId::Export);
    Connections::close(Connections::LocalConnection);
}

QTEST_MAIN(TestAccessControlHandOver)
#include "tst_accesscontrolhandover.moc"
