#include "gui/terminal/TerminalWindow.h"

#include "core/platform/IniFile.h"
#include "core/terminal/PortText.h"
#include "core/terminal/TerminalSync.h"
#include "core/terminal/Tq90Result.h"
#include "gui/platform/AppContext.h"
#include "gui/terminal/ConversionProgressWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

namespace {

const QString SettingsSection = QStringLiteral("text");

template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* helpLine(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

const QString NoExportWindow = QStringLiteral("The export window is not available in this program.");
const QString NoAboutBox = QStringLiteral("The about box is not available in this program.");

} // namespace

TerminalWindow::TerminalWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_XPFrame1(named(new QFrame(this), "XPFrame1")),
      m_XPFrame2(named(new QFrame(this), "XPFrame2")), m_txtIP(named(new QLineEdit(m_XPFrame1), "txtIP")),
      m_txtPort(named(new QLineEdit(m_XPFrame1), "txtPort")),
      m_btnconnect(named(new QPushButton(QStringLiteral("Connect"), m_XPFrame1), "btnconnect")),
      m_btnGetlog(named(new QPushButton(QStringLiteral("ดึงข้อมูลเวลา"), m_XPFrame2), "btnGetlog")),
      m_btnEraseLog(named(new QPushButton(QStringLiteral("ลบข้อมูลเวลา"), m_XPFrame2), "btnEraseLog")),
      m_XPButton2(named(new QPushButton(QStringLiteral("Exchange &Key"), m_XPFrame2), "XPButton2")),
      m_XPButton1(named(new QPushButton(QStringLiteral("Disconnect"), m_XPFrame2), "XPButton1")),
      m_lblMsg(named(new QLabel(m_XPFrame2), "lblMsg"))
{
    setObjectName(QStringLiteral("TerminalWindow"));
    setWindowTitle(QStringLiteral("เชื่อมต่อ TQ90"));

    auto* menuBar = named(new QMenuBar(this), "menuBar");
    QMenu* mnufile = named(menuBar->addMenu(QStringLiteral("File")), "mnufile");
    QAction* mnucon = named(mnufile->addAction(QStringLiteral("Connect QOR")), "mnucon");
    QAction* mnuexit = named(mnufile->addAction(QStringLiteral("Exit")), "mnuexit");
    m_mnuexport = named(mnufile->addAction(QStringLiteral("Export")), "mnuexport");
    QMenu* mnuhelp = named(menuBar->addMenu(QStringLiteral("Help")), "mnuhelp");
    m_mnuabout = named(mnuhelp->addAction(QStringLiteral("About...")), "mnuabout");
    Q_UNUSED(mnuexit); // as designed, Exit does nothing
    setShowExport({});
    setShowAbout({});

    auto* heading = named(new QLabel(QStringLiteral("Connect TQ90"), this), "lblHeading");
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.4);
    heading->setFont(headingFont);

    for (QFrame* frame : {m_XPFrame1, m_XPFrame2})
        frame->setFrameShape(QFrame::StyledPanel);
    auto* connectGrid = new QGridLayout(m_XPFrame1);
    connectGrid->addWidget(new QLabel(QStringLiteral("IP :"), m_XPFrame1), 0, 0);
    connectGrid->addWidget(m_txtIP, 0, 1);
    connectGrid->addWidget(new QLabel(QStringLiteral("Port :"), m_XPFrame1), 1, 0);
    connectGrid->addWidget(m_txtPort, 1, 1);
    connectGrid->addWidget(m_btnconnect, 1, 2);
    connectGrid->addWidget(helpLine(QStringLiteral("[IP] : IP Address TQ90"), m_XPFrame1), 2, 0, 1, 3);
    connectGrid->addWidget(helpLine(QStringLiteral("[Port] : Port ที่ใช้เชื่อมต่อ TQ90  ค่าตั้งต้น 5001"), m_XPFrame1),
                           3, 0, 1, 3);

    auto* workGrid = new QGridLayout(m_XPFrame2);
    workGrid->addWidget(m_btnGetlog, 0, 0);
    workGrid->addWidget(m_btnEraseLog, 0, 1);
    workGrid->addWidget(m_XPButton2, 1, 0);
    workGrid->addWidget(m_XPButton1, 1, 1);
    workGrid->addWidget(helpLine(QStringLiteral("[ดึงข้อมูลเวลา] : ดึง Log เวลาจากกล่อง"), m_XPFrame2), 2, 0, 1,
                        2);
    workGrid->addWidget(helpLine(QStringLiteral("[ลบข้อมุลเวลา] : ลบ Log เวลาในกล่อง"), m_XPFrame2), 3, 0, 1, 2);
    m_lblMsg->setWordWrap(true);
    workGrid->addWidget(m_lblMsg, 4, 0, 1, 2);
    m_XPButton2->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(heading);
    layout->addWidget(m_XPFrame1);
    layout->addWidget(m_XPFrame2);
    layout->addStretch();

    connect(m_btnconnect, &QPushButton::clicked, this, &TerminalWindow::btnconnect_Click);
    connect(mnucon, &QAction::triggered, this, &TerminalWindow::btnconnect_Click);
    connect(m_btnGetlog, &QPushButton::clicked, this, &TerminalWindow::btnGetlog_Click);
    connect(m_btnEraseLog, &QPushButton::clicked, this, &TerminalWindow::btnEraseLog_Click);
    connect(m_XPButton2, &QPushButton::clicked, this, &TerminalWindow::XPButton2_Click);
    connect(m_XPButton1, &QPushButton::clicked, this, &TerminalWindow::XPButton1_Click);
    connect(m_mnuexport, &QAction::triggered, this, &TerminalWindow::mnuexport_Click);
    connect(m_mnuabout, &QAction::triggered, this, &TerminalWindow::mnuabout_Click);

    // on load
    m_XPFrame2->hide();
    const QString settings = m_context.paths.settingsFile();
    m_txtIP->setText(readIniValue(SettingsSection, QStringLiteral("IP"), QString(), settings));
    m_txtPort->setText(
        readIniValue(SettingsSection, QStringLiteral("Port"), QStringLiteral("5001"), settings));
}

TerminalWindow::~TerminalWindow()
{
    releaseTerminal();
}

void TerminalWindow::setShowExport(std::function<void()> show)
{
    m_showExport = std::move(show);
    m_mnuexport->setEnabled(bool(m_showExport));
    m_mnuexport->setToolTip(m_showExport ? QString() : NoExportWindow);
}

void TerminalWindow::setShowAbout(std::function<void()> show)
{
    m_showAbout = std::move(show);
    m_mnuabout->setEnabled(bool(m_showAbout));
    m_mnuabout->setToolTip(m_showAbout ? QString() : NoAboutBox);
}

void TerminalWindow::closeEvent(QCloseEvent* event)
{
    if (m_storing) {
        // the run still uses the terminal and the window; it stays until the run has ended
        event->ignore();
        m_context.prompter.message(Prompter::Icon::Information, m_context.title,
                                   QStringLiteral("The log is still being stored. Close the window when it "
                                                  "has finished."));
        return;
    }
    releaseTerminal();
    QWidget::closeEvent(event);
}

void TerminalWindow::releaseTerminal()
{
    if (hTerminal != 0) {
        m_client.Tq90Terminate(hTerminal);
        hTerminal = 0;
    }
}

void TerminalWindow::btnconnect_Click()
{
    m_XPButton2->setEnabled(false);
    if (m_txtIP->text().trimmed().isEmpty()) {
        m_context.prompter.message(Prompter::Icon::Question, m_context.title,
                                   QStringLiteral("IP address is required!"));
        return;
    }
    const Expected<qint32> port = ParsePortText(m_txtPort->text());
    if (!port) {
        m_context.prompter.message(Prompter::Icon::Critical, QStringLiteral("connect"), port.error());
        return;
    }
    if (*port > 65535 || *port < 1) {
        m_context.prompter.message(Prompter::Icon::Question, m_context.title,
                                   QStringLiteral("Port number is invalid! Range:1-65535"));
        return;
    }
    int handle = 0;
    if (m_client.Tq90Initialize(handle, m_txtIP->text().trimmed(), *port) != Tq90Result::Ok) {
        m_context.prompter.message(Prompter::Icon::Critical, m_context.title,
                                   QStringLiteral("Failed to connect to TQ90!"));
        return;
    }
    // connecting again from the menu while connected replaces the earlier connection
    releaseTerminal();
    hTerminal = handle;
    m_unstoredDownload.clear();
    m_btnconnect->setEnabled(false);
    m_XPFrame1->hide();
    m_lblMsg->clear();
    m_XPFrame2->show();
    const QString settings = m_context.paths.settingsFile();
    writeIniValue(SettingsSection, QStringLiteral("IP"), m_txtIP->text(), settings);
    writeIniValue(SettingsSection, QStringLiteral("Port"), m_txtPort->text(), settings);
}

void TerminalWindow::btnGetlog_Click()
{
    // The window handles its events while the log is stored: its commands wait meanwhile.
    if (m_storing)
        return;
    m_storing = true;
    m_XPFrame2->setEnabled(false);
    const bool menuWasEnabled = m_mnuexport->isEnabled();
    m_mnuexport->setEnabled(false);
    const auto done = qScopeGuard([this, menuWasEnabled] {
        m_storing = false;
        m_XPFrame2->setEnabled(true);
        m_mnuexport->setEnabled(menuWasEnabled);
    });
    TerminalSync sync(m_context.paths);
    sync.setYield([] { QCoreApplication::processEvents(); });
    // the download and the check show how far they are in the status line
    QElapsedTimer sinceEvents;
    sync.setDownloadProgress([this, &sinceEvents](qint64 received, qint64 total) {
        m_lblMsg->setText(
            QStringLiteral("Downloading the log: %1 %").arg(total > 0 ? received * 100 / total : 0));
        if (!sinceEvents.isValid() || sinceEvents.elapsed() >= 10) {
            QCoreApplication::processEvents();
            sinceEvents.start();
        }
    });
    sync.setCheckProgress([this](qint64 done, qint64 total) {
        m_lblMsg->setText(QStringLiteral("Checking the stored log: %1 %").arg(done * 100 / total));
    });
    sync.setConversionProgress([this](qint64 done, qint64 total) {
        if (!m_splash) {
            // inside the main window it goes where the child windows are, beside the side bar
            auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
            QWidget* clientArea = frame && frame->mdiArea() ? frame->mdiArea()->viewport() : nullptr;
            m_splash = new ConversionProgressWindow(window(), clientArea);
        }
        if (!m_splash->isVisible())
            m_splash->showCentered();
        m_splash->setProgress(done, total);
    });
    const TerminalSyncResult result = sync.run(m_client, hTerminal, TerminalSync::Afterwards::Check);
    if (m_splash)
        m_splash->close();

    using Status = TerminalSyncResult::Status;
    m_unstoredDownload.clear();
    switch (result.status) {
    case Status::Empty:
        m_lblMsg->setText(result.message);
        return;
    case Status::ConnectError:
    case Status::TerminalError:
        if (result.code == Tq90Result::KeyNotSet)
            m_XPButton2->setEnabled(true);
        m_unstoredDownload = result.message;
        m_lblMsg->setText(result.message);
        return;
    case Status::WriteError:
    case Status::StoreError:
        m_unstoredDownload = result.message;
        m_lblMsg->setText(result.message);
        m_context.prompter.message(Prompter::Icon::Critical, m_context.title, result.message);
        return;
    case Status::Stored:
        break;
    }
    m_lblMsg->setText(conversionSummary(result.stored));
    if (!result.incomplete.isEmpty()) {
        m_unstoredDownload = result.incomplete;
        m_context.prompter.message(Prompter::Icon::Warning, m_context.title,
                                   conversionSummary(result.stored) + u'\n' + result.incomplete);
        return;
    }
    m_context.prompter.message(Prompter::Icon::Information, m_context.title, QStringLiteral("ดึงข้อมูลเรียบร้อย"));
    if (m_closeFormatEditor)
        m_closeFormatEditor();
}

void TerminalWindow::btnEraseLog_Click()
{
    m_btnGetlog->setEnabled(false);
    const bool exportWasEnabled = m_mnuexport->isEnabled();
    m_mnuexport->setEnabled(false);
    // The decision stays the operator's, but not without knowing what an erase would lose.
    const QString warning =
        m_unstoredDownload.isEmpty()
            ? QString()
            : QStringLiteral("The last download was not stored completely: %1\nErasing now loses the punches "
                             "that are not in the local database.\n\n")
                  .arg(m_unstoredDownload);
    const auto answer = m_context.prompter.message(Prompter::Icon::Information, QStringLiteral("Delete"),
                                                   warning + QStringLiteral("You do want delete log?"),
                                                   Prompter::Buttons::YesNo);
    if (answer == Prompter::Answer::Yes) {
        const int result = m_client.Tq90EraseLogData(hTerminal);
        m_lblMsg->setText(result != Tq90Result::Ok ? Tq90ErrorText(result)
                                                   : QStringLiteral("Log data is deleted!"));
    }
    m_btnGetlog->setEnabled(true);
    m_mnuexport->setEnabled(exportWasEnabled);
}

void TerminalWindow::XPButton2_Click()
{
    const int result = m_client.Tq90ExchangeKey(hTerminal);
    if (result != Tq90Result::Ok) {
        m_lblMsg->setText(Tq90ErrorText(result));
        return;
    }
    m_lblMsg->setText(QStringLiteral("Exchange Key successfully!"));
    m_XPButton2->setEnabled(false);
}

void TerminalWindow::XPButton1_Click()
{
    m_XPFrame2->hide();
    m_XPFrame1->show();
    m_btnconnect->setEnabled(true);
    releaseTerminal();
}

void TerminalWindow::mnuexport_Click()
{
    if (!m_showExport)
        return;
    const auto show = m_showExport;
    // inside the main window the frame around this window is what closes
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
    show();
}

void TerminalWindow::mnuabout_Click()
{
    if (m_showAbout)
        m_showAbout();
}
