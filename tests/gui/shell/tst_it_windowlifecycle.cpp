#include "core/accesscontrol/AccessControlLogin.h"
#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "fixtures/AccessControlServer.h"
#include "fixtures/TestPrompter.h"
#include "gui/platform/AppContext.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/SideBar.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// Every child window inside the real main window, opened from the side bar (or from the window
// that opens it) and closed in each of its own ways: afterwards no empty frame is left in the
// main window and no window exists twice. The time-attendance and access-control databases are
// a real PostgreSQL server, so items 3, 5 and 6 get as far as a successful connection.
class TestItWindowLifecycle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void closePaths_data();
    void closePaths();
    void staleFrameDoesNotForgetNewerWindow();

private:
    // How a window is reached: the side-bar item, then optionally buttons of the export window.
    struct Route
    {
        int item;
        const char* opener;
    };
    void click(int item);
    QWidget* reach(WindowId id, const Route& route);
    void closeBy(QWidget* window, const QString& how);
    // Fails the test when a frame has lost its window or a kind of window exists twice.
    void checkFrames();

    AccessControlServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<TestPrompter> m_prompter;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<MainWindow> m_main;
};

void TestItWindowLifecycle::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    QFile dsns(QString::fromLocal8Bit(qgetenv("ODBCINI")));
    QVERIFY(dsns.open(QIODevice::Append));
    dsns.write(QStringLiteral("[TimeAttendance]\nDriver=%1\nServername=127.0.0.1\nPort=%2\n")
                   .arg(PostgresServer::driverName())
                   .arg(m_server.postgres().port())
                   .toUtf8());
}

void TestItWindowLifecycle::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_config = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config->path());
    QSettings ta(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ZUN Vantorel"),
                 QStringLiteral("Configuration Connection Tools"));
    ta.setValue(QStringLiteral("DSN"), QStringLiteral("TimeAttendance"));
    ta.setValue(QStringLiteral("UID"), PostgresServer::user());
    ta.setValue(QStringLiteral("PWD"), QString());
    ta.setValue(QStringLiteral("Database"), PostgresServer::database());
    ta.sync();

    const AppPaths paths(m_dir->path());
    QVERIFY(writeIniValue(QStringLiteral("text"), QStringLiteral("DRIVERSQL"), PostgresServer::driverName(),
                          paths.settingsFile()));
    const AccessControlLogin login = m_server.login();
    QVERIFY(storeAccessControlLogin(login, paths));
    m_prompter = std::make_unique<TestPrompter>();
    m_context = std::make_unique<AppContext>(AppContext{paths, *m_prompter});
    m_main = std::make_unique<MainWindow>(*m_context);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
}

void TestItWindowLifecycle::cleanup()
{
    m_main.reset();
    m_context.reset();
    m_prompter.reset();
    for (const QString& name : {Connections::LocalConnection, Connections::TimeAttendanceConnection,
                                Connections::AccessControlConnection})
        Connections::close(name);
    m_config.reset();
    m_dir.reset();
}

void TestItWindowLifecycle::click(int item)
{
    SideBar& bar = m_main->sideBar();
    QTreeWidgetItem* entry = bar.itemWithValue(item);
    QVERIFY(entry);
    bar.scrollToItem(entry);
    QTest::mouseClick(bar.viewport(), Qt::LeftButton, {}, bar.visualItemRect(entry).center());
}

QWidget* TestItWindowLifecycle::reach(WindowId id, const Route& route)
{
    click(route.item);
    if (route.opener) {
        QWidget* exportWindow = m_main->windows().find(WindowId::Export);
        if (!exportWindow)
            return nullptr;
        // "choice+button": the option that enables the button first
        for (const QString& name : QString::fromLatin1(route.opener).split(u'+')) {
            auto* button = exportWindow->findChild<QAbstractButton*>(name);
            if (!button)
                return nullptr;
            QTest::mouseClick(button, Qt::LeftButton);
        }
    }
    QWidget* window = m_main->windows().find(id);
    return window && window->isVisible() ? window : nullptr;
}

void TestItWindowLifecycle::closeBy(QWidget* window, const QString& how)
{
    if (how == u"close box") {
        auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
        QVERIFY(frame);
        frame->close();
    } else if (how.startsWith(u"menu:")) {
        QAction* chosen = nullptr;
        for (QAction* action : window->findChildren<QAction*>())
            if (action->objectName() == how.mid(5))
                chosen = action;
        QVERIFY(chosen);
        chosen->trigger();
    } else if (how == u"Save") {
        auto* name = window->findChild<QLineEdit*>(QStringLiteral("txtFileName"));
        QVERIFY(name);
        name->setText(QStringLiteral("Lifecycle"));
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdSaveExit")), Qt::LeftButton);
    } else {
        auto* button = window->findChild<QPushButton*>(how);
        QVERIFY2(button, qPrintable(how));
        QTest::mouseClick(button, Qt::LeftButton);
    }
}

void TestItWindowLifecycle::checkFrames()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QMdiSubWindow* frame : m_main->mdiArea().subWindowList()) {
        QVERIFY2(frame->widget(), "a frame without its window is left in the main window");
        QVERIFY2(!frame->widget()->isHidden(), qPrintable(frame->widget()->objectName()));
    }
    QHash<QString, int> windows;
    for (QMdiSubWindow* frame : m_main->mdiArea().subWindowList())
        ++windows[QString::fromLatin1(frame->widget()->metaObject()->className())];
    for (auto it = windows.cbegin(); it != windows.cend(); ++it)
        QVERIFY2(it.value() == 1, qPrintable(it.key() + QStringLiteral(" is open twice")));
}

void TestItWindowLifecycle::closePaths_data()
{
    QTest::addColumn<WindowId>("id");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("how");
    QTest::addColumn<WindowId>("leftOpen");
    const auto none = WindowId::Splash; // a kind this test never opens
    QTest::newRow("terminal: Export menu") << WindowId::Connect << 1 << ""
                                           << "menu:mnuexport" << WindowId::Export;
    QTest::newRow("terminal: close box") << WindowId::Connect << 1 << ""
                                         << "close box" << none;
    QTest::newRow("export: Exit") << WindowId::Export << 2 << ""
                                  << "cmdCancel" << none;
    QTest::newRow("export: close box") << WindowId::Export << 3 << ""
                                       << "close box" << none;
    QTest::newRow("enrolment: close box") << WindowId::Enroll << 4 << ""
                                          << "close box" << none;
    QTest::newRow("SQL Server: Exit") << WindowId::ConnectSql << 5 << ""
                                      << "btnExit" << none;
    QTest::newRow("SQL Server: close box") << WindowId::ConnectSql << 6 << ""
                                           << "close box" << none;
    QTest::newRow("SQL Server: Connect") << WindowId::ConnectSql << 5 << ""
                                         << "btnConnect" << WindowId::Export;
    QTest::newRow("editor: Save") << WindowId::EditExport << 2 << "cmdNew"
                                  << "Save" << WindowId::Export;
    QTest::newRow("editor: Cancel") << WindowId::EditExport << 2 << "cmdNew"
                                    << "cmdCancel" << WindowId::Export;
    QTest::newRow("editor: close box") << WindowId::EditExport << 2 << "cmdNew"
                                       << "close box" << WindowId::Export;
    QTest::newRow("employees: OK") << WindowId::Employee << 2 << "OptSearch_1+cmdSearch"
                                   << "cmdOK" << WindowId::Export;
    QTest::newRow("employees: Cancel") << WindowId::Employee << 2 << "OptSearch_1+cmdSearch"
                                       << "cmdCancel" << WindowId::Export;
    QTest::newRow("terminals: close box") << WindowId::TQID << 2 << "Option4+XPButton1"
                                          << "close box" << WindowId::Export;
}

void TestItWindowLifecycle::closePaths()
{
    QFETCH(WindowId, id);
    QFETCH(int, item);
    QFETCH(QString, opener);
    QFETCH(QString, how);
    QFETCH(WindowId, leftOpen);
    const QByteArray openerName = opener.toLatin1();
    const Route route{item, opener.isEmpty() ? nullptr : openerName.constData()};

    // twice: the second time the window is a fresh one in a fresh frame
    for (int round = 0; round < 2; ++round) {
        QPointer<QWidget> window = reach(id, route);
        QVERIFY2(window, qPrintable(m_prompter->texts().join(u'\n')));
        checkFrames();
        closeBy(window, how);
        QTRY_VERIFY(window.isNull());
        QVERIFY(!m_main->windows().find(id));
        checkFrames();
        if (leftOpen != WindowId::Splash)
            QVERIFY(m_main->windows().find(leftOpen));
    }
    // and once more from the side bar, while everything else is as the close left it
    QVERIFY(reach(id, route));
    checkFrames();
    QVERIFY2(m_prompter->texts().filter(QStringLiteral("not available")).isEmpty(),
             qPrintable(m_prompter->texts().join(u'\n')));
}

void TestItWindowLifecycle::staleFrameDoesNotForgetNewerWindow()
{
    click(5);
    QPointer<QMdiSubWindow> first = m_main->mdiArea().activeSubWindow();
    QVERIFY(first);
    QTest::mouseClick(first->widget()->findChild<QPushButton*>(QStringLiteral("btnExit")), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    click(5);
    // whatever became of the first frame, closing it now must not touch the newer window
    if (first)
        first->close();
    checkFrames();
    click(5);
    checkFrames();
    QCOMPARE(m_main->mdiArea().subWindowList().size(), 1);
}

QTEST_MAIN(TestItWindowLifecycle)
#include "tst_it_windowlifecycle.moc"
