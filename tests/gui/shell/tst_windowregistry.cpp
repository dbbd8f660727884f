#include "fixtures/TestPrompter.h"
#include "gui/platform/AppContext.h"
#include "gui/shell/WindowRegistry.h"

#include <QCloseEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A plain child window that records what the registry did with it.
class Probe final : public QWidget
{
public:
    explicit Probe(AppContext& context) : m_context(context) { resize(400, 300); }
    AppContext& m_context;
    int preparedFor = 0;
    bool refuseClose = false;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (refuseClose)
            event->ignore();
    }
};

} // namespace

class TestWindowRegistry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void createdOnFirstReference();
    void unloadDiscardsAndNextReferenceIsFresh();
    void closingTheFrameDiscards();
    void refusedCloseKeepsWindow();
    void unloadWhenNotOpenDoesNothing();
    void unregisteredKindGivesNothing();
    void openPreparesPlacesAndShows();
    void openWhileMaximisedLeavesPlace();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestPrompter> m_prompter;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<QMainWindow> m_main;
    QMdiArea* m_area = nullptr;
    std::unique_ptr<WindowRegistry> m_registry;
};

void TestWindowRegistry::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_prompter = std::make_unique<TestPrompter>();
    m_context = std::make_unique<AppContext>(AppContext{AppPaths(m_dir->path()), *m_prompter});
    m_main = std::make_unique<QMainWindow>();
    m_area = new QMdiArea;
    m_main->setCentralWidget(m_area);
    m_main->resize(1000, 700);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    m_registry = std::make_unique<WindowRegistry>(*m_context, *m_main, *m_area);
    m_registry->add<Probe>(WindowId::Export, [](Probe& w, int item) { w.preparedFor = item; });
}

void TestWindowRegistry::cleanup()
{
    m_registry.reset();
    m_main.reset();
    m_context.reset();
    m_prompter.reset();
    m_dir.reset();
}

void TestWindowRegistry::createdOnFirstReference()
{
    QVERIFY(!m_registry->find(WindowId::Export));
    auto* first = m_registry->window<Probe>(WindowId::Export);
    QVERIFY(first);
    QCOMPARE(&first->m_context, m_context.get());
    QCOMPARE(m_registry->window(WindowId::Export), first);
    QCOMPARE(m_registry->find(WindowId::Export), first);
    QCOMPARE(m_area->subWindowList().size(), 1);
    QVERIFY(!first->isVisible());
}

void TestWindowRegistry::unloadDiscardsAndNextReferenceIsFresh()
{
    QPointer<QWidget> first = m_registry->open(WindowId::Export, 2);
    QVERIFY(first && first->isVisible());
    m_registry->unload(WindowId::Export);
    QVERIFY(!m_registry->find(WindowId::Export));
    QTRY_VERIFY(first.isNull());
    QVERIFY(m_area->subWindowList().isEmpty());
    auto* second = m_registry->window<Probe>(WindowId::Export);
    QVERIFY(second);
    QCOMPARE(second->preparedFor, 0);
}

void TestWindowRegistry::closingTheFrameDiscards()
{
    QPointer<QWidget> first = m_registry->open(WindowId::Export);
    QMdiSubWindow* frame = m_area->subWindowList().value(0);
    QVERIFY(frame);
    QVERIFY(frame->close());
    QVERIFY(!m_registry->find(WindowId::Export));
    QTRY_VERIFY(first.isNull());
    QVERIFY(m_registry->window(WindowId::Export));
}

void TestWindowRegistry::refusedCloseKeepsWindow()
{
    auto* probe = m_registry->window<Probe>(WindowId::Export);
    probe->refuseClose = true;
    m_registry->unload(WindowId::Export);
    QCOMPARE(m_registry->find(WindowId::Export), probe);
    probe->refuseClose = false;
    m_registry->unload(WindowId::Export);
    QVERIFY(!m_registry->find(WindowId::Export));
}

void TestWindowRegistry::unloadWhenNotOpenDoesNothing()
{
    m_registry->unload(WindowId::Export);
    m_registry->unload(WindowId::Connect);
    QVERIFY(m_area->subWindowList().isEmpty());
    QVERIFY(m_prompter->shown().isEmpty());
}

void TestWindowRegistry::unregisteredKindGivesNothing()
{
    QVERIFY(!m_registry->isRegistered(WindowId::Enroll));
    QVERIFY(!m_registry->window(WindowId::Enroll));
    QVERIFY(!m_registry->open(WindowId::Enroll, 4));
    QVERIFY(m_area->subWindowList().isEmpty());
    m_registry->remove(WindowId::Export);
    QVERIFY(!m_registry->open(WindowId::Export, 2));
}

void TestWindowRegistry::openPreparesPlacesAndShows()
{
    QCOMPARE(m_main->logicalDpiX(), 96); // 15 twips a pixel
    auto* probe = static_cast<Probe*>(m_registry->open(WindowId::Export, 3));
    QVERIFY(probe && probe->isVisible());
    QCOMPARE(probe->preparedFor, 3);
    QMdiSubWindow* frame = m_area->subWindowList().value(0);
    QCOMPARE(m_area->activeSubWindow(), frame);
    const QSize child = frame->frameGeometry().size();
    const QSize main = m_main->frameGeometry().size();
    // the frame's own formula, in pixels at 96 dpi: left offset 100, top offset 66.67
    const double left = ((main.width() - child.width()) * 15 / 2.0 - 1500) / 15;
    const double top = ((main.height() - child.height()) * 15 / 2.0 - 1000) / 15;
    QVERIFY2(qAbs(frame->x() - left) <= 0.51, qPrintable(QStringLiteral("%1 %2").arg(frame->x()).arg(left)));
    QVERIFY2(qAbs(frame->y() - top) <= 0.51, qPrintable(QStringLiteral("%1 %2").arg(frame->y()).arg(top)));
}

void TestWindowRegistry::openWhileMaximisedLeavesPlace()
{
    QWidget* probe = m_registry->window(WindowId::Export);
    QMdiSubWindow* frame = m_area->subWindowList().value(0);
    frame->move(7, 9);
    m_main->showMaximized();
    QTRY_VERIFY(m_main->windowState() & Qt::WindowMaximized);
    QCOMPARE(m_registry->open(WindowId::Export, 2), probe);
    QCOMPARE(frame->pos(), QPoint(7, 9));
}

QTEST_MAIN(TestWindowRegistry)
#include "tst_windowregistry.moc"
