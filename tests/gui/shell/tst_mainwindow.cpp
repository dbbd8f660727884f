#include "core/enrolment/EnrolUser.h"
#include "core/storage/Connections.h"
#include "fixtures/MainWindowSession.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"
#include "gui/enrolment/UserDialog.h"
#include "gui/platform/WidgetPrompter.h"
#include "gui/shell/AboutDialog.h"
#include "gui/shell/ChildPlacement.h"
#include "gui/shell/SideBar.h"
#include "gui/terminal/ConversionProgressWindow.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidgetItemIterator>

namespace {

// C terminal connection, E export, N enrolment, S SQL Server login.
const QList<std::pair<char, WindowId>> Kinds = {
    {'C', WindowId::Connect}, {'E', WindowId::Export}, {'N', WindowId::Enroll}, {'S', WindowId::ConnectSql}};

} // namespace

// The real main window, its real windows and no time-attendance database: the side bar's routing.
class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_session = std::make_unique<MainWindowSession>(); }
    void cleanup() { m_session.reset(); }
    void sideBarRoutes_data();
    void sideBarRoutes();
    void staleFrameDoesNotForgetNewerWindow();
    void missingWindowIsReported();
    void placementAndFileFilters();
    void layoutsStayAsDrawn();
    void programStartsOnItsDataDirectory();

private:
    // Fails the test when a frame has lost its window or a kind of window is open twice.
    void checkFrames();
    QMdiArea& area() { return m_session->main().mdiArea(); }

    std::unique_ptr<MainWindowSession> m_session;
};

// Where every named control of every window sits, against window-layouts.txt beside this test: a
// control moved, resized or dropped by a change shows here. After a deliberate change to a
// window, run with TQ_WRITE_LAYOUTS=1 and review the difference of the file.
void TestMainWindow::layoutsStayAsDrawn()
{
    QStringList lines;
    const auto record = [&lines](const QString& title, QWidget* window) {
        window->show();
        QCoreApplication::processEvents();
        lines << title + u" %1x%2"_qs.arg(window->width()).arg(window->height());
        QStringList controls;
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (!control->isVisibleTo(window) || control->objectName().startsWith(u"qt_"))
                continue;
            // a control without a name is known by its kind and its text
            QString name = control->objectName();
            if (name.isEmpty())
                name = QString::fromLatin1(control->metaObject()->className()) + u'"' +
                       control->property("text").toString().simplified() + u'"';
            const QPoint at = control->mapTo(window, QPoint(0, 0));
            controls << u"  %1 %2,%3 %4x%5%6"_qs.arg(name)
                                .arg(at.x())
                                .arg(at.y())
                                .arg(control->width())
                                .arg(control->height())
                                .arg(control->font().bold() ? u" bold"_qs : QString()) +
                            (control->property("readOnly").toBool() ? u" read-only"_qs : QString());
            // and the side bar's entries: caption, font size and weight, icon
            if (auto* tree = qobject_cast<QTreeWidget*>(control))
                for (QTreeWidgetItemIterator it(tree); *it; ++it)
                    controls << u"  %1 entry \"%2\" %3pt%4%5"_qs.arg(name, (*it)->text(0))
                                    .arg((*it)->font(0).pointSize())
                                    .arg((*it)->font(0).bold() ? u" bold"_qs : QString())
                                    .arg((*it)->icon(0).isNull() ? QString() : u" icon"_qs);
        }
        controls.sort();
        lines << controls;
    };
    record(u"MainWindow"_qs, &m_session->main());
    for (const WindowId id : {WindowId::Connect, WindowId::Export, WindowId::EditExport, WindowId::Enroll,
                              WindowId::ConnectSql, WindowId::Employee, WindowId::TQID})
        record(QString::fromLatin1(m_session->main().windows().window(id)->metaObject()->className()),
               m_session->main().windows().window(id));
    // the terminal window as a connection leaves it: the download frame in place of the address
    QWidget* terminal = m_session->main().windows().window(WindowId::Connect);
    Gui::child(terminal, "XPFrame1")->hide();
    Gui::child(terminal, "XPFrame2")->show();
    record(u"TerminalWindow, connected"_qs, terminal);
    ConversionProgressWindow splash(&m_session->main(), &area());
    record(u"ConversionProgressWindow"_qs, &splash);
    EnrolUser user;
    UserDialog dialog(m_session->context(), user);
    record(u"UserDialog"_qs, &dialog);
    AboutDialog about;
    record(u"AboutDialog"_qs, &about);
    const QString file = QStringLiteral(QT_TESTCASE_SOURCEDIR "/gui/shell/window-layouts.txt");
    const QByteArray drawn = lines.join(u'\n').toUtf8() + '\n';
    if (qEnvironmentVariableIsSet("TQ_WRITE_LAYOUTS"))
        QVERIFY(
            TestFiles::write(QStringLiteral(QT_TESTCASE_SOURCEDIR "/gui/shell/window-layouts.txt"), drawn));
    const QList<QByteArray> expected = TestFiles::read(file).split('\n');
    const QList<QByteArray> actual = drawn.split('\n');
    for (qsizetype i = 0; i < std::max(expected.size(), actual.size()); ++i)
        QCOMPARE(actual.value(i), expected.value(i));
}

// The real program, given its data directory either way: shown, it stays until closed; with the
// start-up probe set, it ends once the export window is painted.
void TestMainWindow::programStartsOnItsDataDirectory()
{
    QTemporaryDir first, second;
    QProcess shown;
    shown.start(QStringLiteral(TQTOOL_PATH),
                {u"-platform"_qs, u"offscreen"_qs, u"--data-dir"_qs, first.path()});
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(AppPaths(first.path()).exportFormatDir()).isDir(), 20000);
    QVERIFY(!shown.waitForFinished(1000));
    shown.kill();
    shown.waitForFinished();
    QProcess probed;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TQTOOL_EXIT_WHEN_SHOWN"_qs, u"1"_qs);
    probed.setProcessEnvironment(env);
    probed.start(QStringLiteral(TQTOOL_PATH),
                 {u"-platform"_qs, u"offscreen"_qs, u"--data-dir="_qs + second.path()});
    QVERIFY(probed.waitForFinished(20000) && probed.exitCode() == 0);
    QVERIFY(probed.readAllStandardOutput().startsWith("shown after "));
    QVERIFY(QFileInfo(AppPaths(second.path()).exportFormatDir()).isDir());
}

void TestMainWindow::checkFrames()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QSet<QString> kinds;
    for (QMdiSubWindow* frame : area().subWindowList()) {
        QVERIFY2(frame->widget(), "a frame without its window is left in the main window");
        const QString kind = QString::fromLatin1(frame->widget()->metaObject()->className());
        QVERIFY2(!kinds.contains(kind), qPrintable(kind + u" is open twice"_qs));
        kinds.insert(kind);
    }
}

void TestMainWindow::sideBarRoutes_data()
{
    // the kinds open afterwards; the local database was opened; the first line of the message
    addColumns<QList<int>, QString, bool, QString>({"clicks", "open", "local", "message"});
    const QString noTa = u"Can not connect database TA"_qs;
    addRow("1: terminal", QList<int>{1}, u"C"_qs, true, u""_qs);
    addRow("2: export", QList<int>{2}, u"E"_qs, true, u""_qs);
    addRow("4: enrolment, no database", QList<int>{4}, u"N"_qs, false, u""_qs);
    addRow("5 twice: one server login", QList<int>{5, 5}, u"S"_qs, true, u""_qs);
    addRow("2 replaces 1", QList<int>{1, 2}, u"E"_qs, true, u""_qs);
    addRow("1 replaces 2", QList<int>{2, 1}, u"C"_qs, true, u""_qs);
    addRow("4 keeps 1", QList<int>{1, 4}, u"CN"_qs, true, u""_qs);
    addRow("3 unreachable still closes 1", QList<int>{4, 1, 3}, u"N"_qs, true, noTa);
    addRow("6 unreachable", QList<int>{6}, u""_qs, true, noTa);
    addRow("values outside the items", QList<int>{0, 7, -1}, u""_qs, false, u""_qs);
}

void TestMainWindow::sideBarRoutes()
{
    const auto [clicks, open, local, message] =
        fetchColumns<QList<int>, QString, bool, QString>("clicks", "open", "local", "message");
    for (int item : clicks) {
        if (item >= 1 && item <= 6) // each in the real side bar
            m_session->clickItem(item);
        else
            m_session->main().dxSideBar1_ItemClick(item);
    }
    checkFrames();
    QString got;
    for (const auto& [letter, id] : Kinds) {
        if (QWidget* window = m_session->window(id)) {
            got += QLatin1Char(letter);
            QVERIFY(window->isVisible());
        }
    }
    QCOMPARE(got, open);
    if (open == u"E")
        QCOMPARE(m_session->window(WindowId::Export)->windowTitle(), u"Export to text"_qs);
    QCOMPARE(Connections::get(Connections::LocalConnection).isOpen(), local);
    QCOMPARE(m_session->prompter().texts().join(u'\n').section(u'\n', 0, 0), message);
    // the message, the driver's reason, then where the settings are
    if (!message.isEmpty())
        QVERIFY(m_session->prompter().last().text.section(u'\n', 2).contains(m_session->configDir()));
}

void TestMainWindow::staleFrameDoesNotForgetNewerWindow()
{
    // Return on the current side-bar item opens its window; other keys only move
    SideBar& bar = m_session->main().sideBar();
    bar.setFocus();
    bar.setCurrentItem(bar.itemWithValue(6));
    QTest::keyClick(&bar, Qt::Key_Up);
    QVERIFY(area().subWindowList().isEmpty());
    QTest::keyClick(&bar, Qt::Key_Return);
    QPointer<QMdiSubWindow> first = area().activeSubWindow();
    QVERIFY(first);
    Gui::click(first->widget(), "btnExit");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_session->clickItem(5);
    // whatever became of the first frame, closing it now must not touch the newer window
    if (first)
        first->close();
    checkFrames();
    m_session->clickItem(5);
    checkFrames();
    QCOMPARE(area().subWindowList().size(), 1);
}

void TestMainWindow::missingWindowIsReported()
{
    m_session->main().windows().remove(WindowId::Enroll);
    m_session->clickItem(4);
    QCOMPARE(m_session->prompter().last().text,
             u"The fingerprint enrolment window is not available in this version yet."_qs);
    QVERIFY(area().subWindowList().isEmpty());
}

// A child goes 1500 twips left and 1000 up of the middle; the real file dialogs take filter pairs.
void TestMainWindow::placementAndFileFilters()
{
    using namespace ChildPlacement;
    for (const auto& [value, rounded] : {std::pair{4507.5, 4508}, {4522.5, 4522}, {-742.5, -742}, {2.6, 3}})
        QCOMPARE(roundHalfToEven(value), qint64(rounded));
    QCOMPARE(centredPosition(true, 15015, 10515, 6000, 4500), std::optional(QPoint(3008, 2008)));
    QVERIFY(!centredPosition(false, 15015, 10515, 6000, 4500));
    for (const QString& odd : {u""_qs, u"|odd"_qs})
        QCOMPARE(WidgetPrompter::toQtFilter(u"T (*.Txt)|*.Txt|Excle Files|*.Xls"_qs + odd),
                 u"T (*.Txt);;Excle Files (*.Xls)"_qs);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
