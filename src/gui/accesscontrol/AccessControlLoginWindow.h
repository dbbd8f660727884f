#pragma once

#include "core/platform/Outcome.h"

#include <QWidget>

#include <functional>

struct AppContext;
class QLabel;
class QLineEdit;
class QPushButton;

// The window in which the operator connects to the access-control server's database: host,
// port, login and password. On "Connect" it opens AccessControlConnection, remembers the four
// entries, hands over to the export of access-control punches and closes.
class AccessControlLoginWindow final : public QWidget
{
    Q_OBJECT

public:
    // What follows a successful connect: the export window in its access-control mode, to a
    // text file (fileMode true) or into the time-attendance database. Set by whoever opens this
    // window; a failure is shown and the window stays open.
    using AfterConnect = std::function<Outcome(bool fileMode)>;

    explicit AccessControlLoginWindow(AppContext& context, QWidget* parent = nullptr);

    // true: the operator chose the export to a text file; false: into the time-attendance
    // database (whose connection the opener has already opened).
    void setFileMode(bool fileMode) { m_fileMode = fileMode; }
    bool fileMode() const { return m_fileMode; }
    AppContext& context() const { return m_context; }
    void setAfterConnect(AfterConnect afterConnect) { m_afterConnect = std::move(afterConnect); }

private:
    void loadEntries();
    void connectClicked();

    AppContext& m_context;
    bool m_fileMode = true;
    AfterConnect m_afterConnect;

    QLineEdit* m_dxtxtIP = nullptr;
    QLineEdit* m_dxtxtport = nullptr;
    QLineEdit* m_dxtxtUser = nullptr;
    QLineEdit* m_dxtxtpass = nullptr;
    QPushButton* m_btnConnect = nullptr;
    QPushButton* m_btnExit = nullptr;
};
