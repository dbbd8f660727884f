#include "gui/shell/CenterChildWindow.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

// Placement of a child window in real windows, at 96 dpi (15 twips a pixel).
class TestCenterChildWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void normal_data();
    void normal();
    void maximisedLeavesChild();
    void restoredPlacesAgain();

private:
    // Gives the main window this outer size (the platform adds a frame around the client).
    void setOuterSize(QSize size);

    std::unique_ptr<QMainWindow> m_main;
    QMdiSubWindow* m_child = nullptr;
};

void TestCenterChildWindow::init()
{
    m_main = std::make_unique<QMainWindow>();
    auto* area = new QMdiArea;
    m_main->setCentralWidget(area);
    m_child = area->addSubWindow(new QWidget);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    m_child->show();
    m_child->setGeometry(3, 4, 400, 300);
    QCOMPARE(m_main->logicalDpiX(), 96);
    QCOMPARE(m_main->logicalDpiY(), 96);
}

void TestCenterChildWindow::cleanup()
{
    m_main.reset();
}

void TestCenterChildWindow::setOuterSize(QSize size)
{
    const QSize frame = m_main->frameGeometry().size() - m_main->size();
    m_main->resize(size - frame);
    QTRY_COMPARE(m_main->frameGeometry().size(), size);
}

void TestCenterChildWindow::normal_data()
{
    QTest::addColumn<QSize>("mainSize");
    QTest::addColumn<QPoint>("expected");
    // (600 * 15 / 2 - 1500) / 15 = 200; (400 * 15 / 2 - 1000) / 15 = 133.3
    QTest::newRow("even sizes") << QSize(1000, 700) << QPoint(200, 133);
    // 601 px = 9015 twips: 4507.5 goes to 4508, 3008 twips = 200.53 px; 401 px: 3007.5 -> 3008,
    // 2008 twips = 133.87 px
    QTest::newRow("ties to even upwards") << QSize(1001, 701) << QPoint(201, 134);
    // 603 px = 9045 twips: 4522.5 goes to 4522, 3022 twips = 201.47 px
    QTest::newRow("ties to even downwards") << QSize(1003, 700) << QPoint(201, 133);
    QTest::newRow("main smaller than child") << QSize(300, 200) << QPoint(-150, -117);
}

void TestCenterChildWindow::normal()
{
    QFETCH(QSize, mainSize);
    QFETCH(QPoint, expected);
    setOuterSize(mainSize);
    centerChildWindow(*m_main, *m_child->widget());
    QCOMPARE(m_child->pos(), expected);
    QCOMPARE(m_child->size(), QSize(400, 300));
}

void TestCenterChildWindow::maximisedLeavesChild()
{
    m_main->showMaximized();
    QTRY_VERIFY(m_main->windowState() & Qt::WindowMaximized);
    centerChildWindow(*m_main, *m_child);
    QCOMPARE(m_child->pos(), QPoint(3, 4));
}

void TestCenterChildWindow::restoredPlacesAgain()
{
    m_main->showMaximized();
    m_main->showNormal();
    setOuterSize(QSize(1000, 700));
    centerChildWindow(*m_main, *m_child);
    QCOMPARE(m_child->pos(), QPoint(200, 133));
}

QTEST_MAIN(TestCenterChildWindow)
#include "tst_centerchildwindow.moc"
