#include "gui/shell/MainWindow.h"

#include "core/storage/Connections.h"
#include "core/storage/TimeAttendanceConnection.h"
#include "gui/platform/AppContext.h"
#include "gui/shell/Backdrop.h"
#include "gui/shell/SideBar.h"
#include "gui/shell/WindowCatalog.h"

#include "gui/shell/AppResources.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QStyle>

MainWindow::MainWindow(AppContext& context, QWidget* parent) : QMainWindow(parent), m_context(context)
{
    ensureAppResources();
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral(" เครื่องมือส่งออกข้อมูล TQ & QOR Tool"));
    setWindowIcon(QIcon(QStringLiteral(":/images/backdrop.png")));

    auto* client = new QWidget(this);
    auto* layout = new QHBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_dxSideBar1 = new SideBar(client);
    m_dxSideBar1->setObjectName(QStringLiteral("dxSideBar1"));
    m_mdiArea = new QMdiArea(client);
    m_mdiArea->setObjectName(QStringLiteral("MDIClient"));
    layout->addWidget(m_dxSideBar1);
    layout->addWidget(m_mdiArea, 1);
    setCentralWidget(client);

    m_backdrop = new Backdrop(*m_mdiArea, QPixmap(QStringLiteral(":/images/backdrop.png")));
    m_windows = std::make_unique<WindowRegistry>(m_context, *this, *m_mdiArea);
    m_context.windows = m_windows.get();
    registerWindows(*m_windows);
    buildSideBar();
    resize(1100, 760);
}

MainWindow::~MainWindow()
{
    // The backdrop watches the client area's viewport; it must go before the area is torn down,
    // or a last resize of the viewport would reach it from a half-destroyed area.
    delete m_backdrop;
    m_backdrop = nullptr;
    if (m_context.windows == m_windows.get())
        m_context.windows = nullptr;
}

void MainWindow::buildSideBar()
{
    QFont groupFont(QStringLiteral("Cordia New"));
    groupFont.setPointSize(17);
    groupFont.setBold(true);
    QFont itemFont(QStringLiteral("MS Sans Serif"));
    itemFont.setPointSize(10);
    m_dxSideBar1->setGroupFont(groupFont);
    m_dxSideBar1->setItemFont(itemFont);

    const QString terminals = QStringLiteral("TQ80 & TQ90");
    const QString enrol = QStringLiteral("TQ80&TQ90 Enroll");
    const QString server = QStringLiteral("QORSQL");
    const QString toFile = QStringLiteral("ส่งข้อมูลออกบันทึกเป็นไฟล์");
    const QString toTa = QStringLiteral("ส่งข้อมูลออกไปยัง Horavant Office");
    QStyle* s = style();
    m_dxSideBar1->addItem(terminals, QStringLiteral("ดึงข้อมูลจาก TQ80&TQ90"), 1,
                          s->standardIcon(QStyle::SP_ArrowDown));
    m_dxSideBar1->addItem(terminals, toFile, 2, s->standardIcon(QStyle::SP_DialogSaveButton));
    m_dxSideBar1->addItem(terminals, toTa, 3, s->standardIcon(QStyle::SP_ComputerIcon));
    m_dxSideBar1->addItem(enrol, QStringLiteral("บันทึกพนักงานและลายนิ้วมือ"), 4,
                          s->standardIcon(QStyle::SP_FileDialogContentsView));
    m_dxSideBar1->addItem(server, toFile, 5, s->standardIcon(QStyle::SP_DialogSaveButton));
    m_dxSideBar1->addItem(server, toTa, 6, s->standardIcon(QStyle::SP_ComputerIcon));
    m_dxSideBar1->setFixedWidth(280);
    connect(m_dxSideBar1, &SideBar::itemValueClicked, this, &MainWindow::dxSideBar1_ItemClick);
}

void MainWindow::dxSideBar1_ItemClick(int userData)
{
    // A window's run goes on using the connections that the side bar would open afresh, and the
    // window it would close; only the enrolment window, which uses neither, opens meanwhile.
    if (const std::optional<WindowId> busy = m_windows->busyWindow(); busy && userData != 4) {
        m_context.prompter.message(
            Prompter::Icon::Information, m_context.title,
            QStringLiteral("The %1 is still working. Choose again when it has finished.")
                .arg(WindowRegistry::describe(*busy)));
        return;
    }
    switch (userData) {
    case 1:
        m_windows->unload(WindowId::Export);
        if (openLocalDatabase())
            showWindow(WindowId::Connect, userData);
        break;
    case 2:
    case 3:
        m_windows->unload(WindowId::Connect);
        if (!openLocalDatabase())
            break;
        if (userData == 3 && !openTimeAttendanceDatabase())
            break;
        showWindow(WindowId::Export, userData);
        m_windows->unload(WindowId::EditExport);
        break;
    case 4:
        showWindow(WindowId::Enroll, userData);
        break;
    case 5:
    case 6:
        if (!openLocalDatabase())
            break;
        if (userData == 6 && !openTimeAttendanceDatabase())
            break;
        showWindow(WindowId::ConnectSql, userData);
        break;
    default:
        break;
    }
}

bool MainWindow::openLocalDatabase()
{
    const Outcome opened = ::openLocalDatabase(m_context.paths);
    if (!opened)
        m_context.prompter.message(Prompter::Icon::Critical, m_context.title, opened.error());
    return opened.ok();
}

bool MainWindow::openTimeAttendanceDatabase()
{
    const Outcome opened = ::openTimeAttendanceDatabase();
    if (opened)
        return true;
    m_context.prompter.message(
        Prompter::Icon::Critical, QStringLiteral("Not connect"),
        QStringLiteral("Can not connect database TA\n%1\nThe connection settings are in %2.")
            .arg(opened.error(), TimeAttendanceSettings::location()));
    return false;
}

void MainWindow::showWindow(WindowId id, int item)
{
    if (m_windows->open(id, item))
        return;
    m_context.prompter.message(
        Prompter::Icon::Information, m_context.title,
        QStringLiteral("The %1 is not available in this version yet.").arg(WindowRegistry::describe(id)));
}

void MainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_backdrop->redraw();
    QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // the child windows unload first, as they would one by one; one that refuses keeps the frame open
    m_mdiArea->closeAllSubWindows();
    if (!m_mdiArea->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
