#pragma once

#include "core/terminal/Tq90Client.h"

#include <QPointer>
#include <QWidget>

#include <functional>

struct AppContext;
class ConversionProgressWindow;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// The connection window: connects to one terminal, downloads its attendance log into the log
// file and converts it into the local database, erases the log on the terminal and exchanges
// the terminal's key. The connection stays open until Disconnect or the window closes.
class TerminalWindow final : public QWidget
{
    Q_OBJECT
    // true while a download is stored (the main window's side bar waits for it)
    Q_PROPERTY(bool busy READ isStoring)

public:
    explicit TerminalWindow(AppContext& context, QWidget* parent = nullptr);
    ~TerminalWindow() override;

    int terminalHandle() const { return hTerminal; }
    bool isStoring() const { return m_storing; }
    Tq90Client& client() { return m_client; }
    // The opener's ways to the export window, the about box and the format editor. Without
    // them "Export" and "About..." stay disabled.
    void setShowExport(std::function<void()> show);
    void setShowAbout(std::function<void()> show);
    void setCloseFormatEditor(std::function<void()> close) { m_closeFormatEditor = std::move(close); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void btnconnect_Click();
    void btnGetlog_Click();
    void btnEraseLog_Click();
    void XPButton2_Click();
    void XPButton1_Click();
    void mnuexport_Click();
    void mnuabout_Click();
    void releaseTerminal();

    AppContext& m_context;
    Tq90Client m_client;
    int hTerminal = 0;
    // Why the last download of this connection is not wholly in the local database; empty when
    // it is, or when there was none.
    QString m_unstoredDownload;
    // A download is being stored; the window handles its events meanwhile.
    bool m_storing = false;
    std::function<void()> m_showExport;
    std::function<void()> m_showAbout;
    std::function<void()> m_closeFormatEditor;

    QFrame* m_XPFrame1;
    QFrame* m_XPFrame2;
    QLineEdit* m_txtIP;
    QLineEdit* m_txtPort;
    QPushButton* m_btnconnect;
    QPushButton* m_btnGetlog;
    QPushButton* m_btnEraseLog;
    QPushButton* m_XPButton2;
    QPushButton* m_XPButton1;
    QLabel* m_lblMsg;
    QAction* m_mnuexport;
    QAction* m_mnuabout;
    QPointer<ConversionProgressWindow> m_splash;
};
