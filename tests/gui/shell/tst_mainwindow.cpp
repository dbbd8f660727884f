#include "core/storage/Connections.h"
#include "fixtures/MainWindowSession.h"
#include "fixtures/TestFiles.h"
#include "gui/shell/Backdrop.h"
#include "gui/shell/CenterChildWindow.h"
#include "gui/shell/SideBar.h"

#include <QCloseEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

namespace {

// A plain child window standing in for the windows the side bar opens.
class Probe final : public QWidget
{
public:
    explicit Probe(AppContext&) { resize(400, 300); }
    int preparedFor = 0;
    bool refuseClose = false;

protected:
    void closeEvent(QCloseEvent* event) override { event->setAccepted(!refuseClose); }
};

// One letter per window kind: C terminal connection, E export, N enrolment, S SQL Server login.
const QList<std::pair<char, WindowId>> Kinds = {
    {'C', WindowId::Connect}, {'E', WindowId::Export}, {'N', WindowId::Enroll}, {'S', WindowId::ConnectSql}};

} // namespace

// The side bar's routing in the real main window, with plain windows standing in for the real
// ones and no time-attendance database (its settings store is empty).
class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_session.reset(); }
    void sideBarRoutes_data();
    void sideBarRoutes();
    void unreachableTimeAttendanceSaysWhy();
    void keyboardAndClosing();
    void missingWindowIsReported();
    void unwritableDataDirectoryIsReported();
    void backdropFollowsTheClientArea();
    void placement_data();
    void placement();

private:
    std::unique_ptr<MainWindowSession> m_session;
};

void TestMainWindow::init()
{
    m_session = std::make_unique<MainWindowSession>();
    for (const auto& [letter, id] : Kinds)
        m_session->main().windows().add<Probe>(id, [](Probe& w, int item) { w.preparedFor = item; });
}

void TestMainWindow::sideBarRoutes_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QString>("open"); // the kinds open afterwards
    QTest::addColumn<bool>("local");   // the local database was opened
    QTest::addColumn<QString>("message");
    const QString noTa = QStringLiteral("Can not connect database TA");
    QTest::newRow("1: terminal") << QList<int>{1} << "C" << true << "";
    QTest::newRow("2: export") << QList<int>{2} << "E" << true << "";
    QTest::newRow("4: enrolment, no database") << QList<int>{4} << "N" << false << "";
    QTest::newRow("5: server login") << QList<int>{5} << "S" << true << "";
    QTest::newRow("5 twice: one window") << QList<int>{5, 5} << "S" << true << "";
    QTest::newRow("2 replaces 1") << QList<int>{1, 2} << "E" << true << "";
    QTest::newRow("1 replaces 2") << QList<int>{2, 1} << "C" << true << "";
    QTest::newRow("4 keeps 1") << QList<int>{1, 4} << "CN" << true << "";
    QTest::newRow("3 unreachable still closes 1") << QList<int>{4, 1, 3} << "N" << true << noTa;
    QTest::newRow("6 unreachable") << QList<int>{6} << "" << true << noTa;
    QTest::newRow("values outside the items") << QList<int>{0, 7, -1} << "" << false << "";
}

void TestMainWindow::sideBarRoutes()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QString, open);
    QFETCH(bool, local);
    QFETCH(QString, message);
    MainWindow& main = m_session->main();
    for (int item : clicks) {
        if (main.sideBar().itemWithValue(item))
            m_session->clickItem(item);
        else
            main.dxSideBar1_ItemClick(item);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QString got;
    for (const auto& [letter, id] : Kinds) {
        if (auto* probe = m_session->window<QWidget>(id)) {
            got += QLatin1Char(letter);
            QVERIFY(probe->isVisible());
        }
    }
    QCOMPARE(got, open);
    QCOMPARE(main.mdiArea().subWindowList().size(), open.size());
    // the window the last click opened was prepared for that item
    QMdiSubWindow* active = main.mdiArea().activeSubWindow();
    if (message.isEmpty() && active)
        QCOMPARE(static_cast<Probe*>(active->widget())->preparedFor, clicks.last());
    QCOMPARE(Connections::get(Connections::LocalConnection).isOpen(), local);
    QCOMPARE(m_session->prompter().texts().join(u'\n').section(u'\n', 0, 0), message);
}

void TestMainWindow::keyboardAndClosing()
{
    SideBar& bar = m_session->main().sideBar();
    QCOMPARE(bar.topLevelItemCount(), 3); // the groups
    // Return on the current item opens its window; other keys only move
    bar.setFocus();
    bar.setCurrentItem(bar.itemWithValue(6));
    QTest::keyClick(&bar, Qt::Key_Up);
    QVERIFY(m_session->main().mdiArea().subWindowList().isEmpty());
    QTest::keyClick(&bar, Qt::Key_Return);
    auto* probe = dynamic_cast<Probe*>(m_session->window(WindowId::ConnectSql));
    QVERIFY(probe && probe->isVisible());
    QCOMPARE(probe->preparedFor, 5);
    // the main window closes its windows first; one that refuses keeps it open
    probe->refuseClose = true;
    QVERIFY(!m_session->main().close());
    QVERIFY(probe->isVisible());
    probe->refuseClose = false;
    QVERIFY(m_session->main().close());
    QVERIFY(m_session->main().mdiArea().subWindowList().isEmpty());
}

void TestMainWindow::unreachableTimeAttendanceSaysWhy()
{
    m_session->clickItem(3);
    QCOMPARE(m_session->prompter().shown().size(), 1);
    const TestPrompter::Shown shown = m_session->prompter().last();
    // the message, then the driver's reason, then where the settings are
    const QStringList lines = shown.text.split(u'\n');
    QVERIFY2(lines.size() >= 3, qPrintable(shown.text));
    QCOMPARE(lines.first(), QStringLiteral("Can not connect database TA"));
    QVERIFY2(!lines[1].trimmed().isEmpty(), qPrintable(shown.text));
    QVERIFY2(lines.last().contains(m_session->configDir()), qPrintable(shown.text));
    QCOMPARE(shown.title, QStringLiteral("Not connect"));
    QCOMPARE(shown.icon, Prompter::Icon::Critical);
}

void TestMainWindow::missingWindowIsReported()
{
    m_session->main().windows().remove(WindowId::Enroll);
    m_session->clickItem(4);
    const TestPrompter::Shown shown = m_session->prompter().last();
    QCOMPARE(shown.icon, Prompter::Icon::Information);
    QVERIFY2(shown.text.contains(QStringLiteral("enrolment window is not available")),
             qPrintable(shown.text));
    QVERIFY(m_session->main().mdiArea().subWindowList().isEmpty());
}

void TestMainWindow::unwritableDataDirectoryIsReported()
{
    // a directory below a plain file can never be created, whatever the user's rights
    const QString file = m_session->dataDir() + QStringLiteral("/plain-file");
    QVERIFY(TestFiles::write(file, "x"));
    TestPrompter prompter;
    AppContext context{AppPaths(file + QStringLiteral("/data")), prompter};
    MainWindow main(context);
    main.windows().add<Probe>(WindowId::Export);
    main.dxSideBar1_ItemClick(2);
    QCOMPARE(prompter.shown().size(), 1);
    QCOMPARE(prompter.last().icon, Prompter::Icon::Critical);
    QVERIFY2(prompter.last().text.contains(file + QStringLiteral("/data/dataexport.db")),
             qPrintable(prompter.last().text));
    QVERIFY(main.mdiArea().subWindowList().isEmpty());
}

void TestMainWindow::backdropFollowsTheClientArea()
{
    MainWindow& main = m_session->main();
    const Backdrop& backdrop = main.backdrop();
    QWidget* client = main.mdiArea().viewport();
    for (const QSize size : {QSize(700, 1200)}) {
        main.resize(size);
        QTRY_COMPARE(backdrop.stretched().size(), client->size());
        QCOMPARE(main.mdiArea().background().texture().size(), client->size());
        // the corners of the picture reach the corners of the client area
        const QImage shown = main.mdiArea().background().texture().toImage();
        const QImage expected = backdrop.original().toImage().scaled(client->size(), Qt::IgnoreAspectRatio,
                                                                     Qt::SmoothTransformation);
        const QPoint corner(client->width() - 1, client->height() - 1);
        QCOMPARE(shown.pixelColor(corner), expected.pixelColor(corner));
    }
    // activated again, the window draws its backdrop again
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    const qint64 before = backdrop.stretched().cacheKey();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QTRY_VERIFY(backdrop.stretched().cacheKey() != before);
}

void TestMainWindow::placement_data()
{
    QTest::addColumn<QSize>("mainSize"); // outer size; empty: maximised
    QTest::addColumn<QPoint>("expected");
    // (600 * 15 / 2 - 1500) / 15 = 200; (400 * 15 / 2 - 1000) / 15 = 133.3
    QTest::newRow("even sizes") << QSize(1000, 700) << QPoint(200, 133);
    // 601 px = 9015 twips: 4507.5 goes to 4508, 3008 twips = 200.53 px; 401 px: 3007.5 -> 3008,
    // 2008 twips = 133.87 px
    QTest::newRow("ties to even upwards") << QSize(1001, 701) << QPoint(201, 134);
    // 603 px = 9045 twips: 4522.5 goes to 4522, 3022 twips = 201.47 px
    QTest::newRow("ties to even downwards") << QSize(1003, 700) << QPoint(201, 133);
    // -99 px = -1485 twips: -742.5 goes to -742, -2242 twips = -149.47 px
    QTest::newRow("main smaller, negative tie") << QSize(301, 200) << QPoint(-149, -117);
    QTest::newRow("maximised: left alone") << QSize() << QPoint(3, 4);
}

// A child window is placed in the middle of the main window, 1500 twips left and 1000 twips up
// of it, ties of half a twip going to the even twip. At 96 dpi a pixel is 15 twips.
void TestMainWindow::placement()
{
    QFETCH(QSize, mainSize);
    QFETCH(QPoint, expected);
    QMainWindow main;
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    QMdiSubWindow* child = area->addSubWindow(new QWidget);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QCOMPARE(main.logicalDpiX(), 96);
    child->show();
    child->setGeometry(3, 4, 400, 300);
    if (mainSize.isEmpty()) {
        main.showMaximized();
        QTRY_VERIFY(main.windowState() & Qt::WindowMaximized);
    } else {
        main.resize(mainSize - (main.frameGeometry().size() - main.size()));
        QTRY_COMPARE(main.frameGeometry().size(), mainSize);
    }
    centerChildWindow(main, *child->widget());
    QCOMPARE(child->pos(), expected);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
