#include "gui/accesscontrol/AccessControlLoginWindow.h"

#include "core/accesscontrol/AccessControlLogin.h"
#include "gui/platform/AppContext.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* addEntry(QGridLayout* grid, int row, const QString& labelName, const QString& caption,
                    const QString& boxName, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(labelName);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* box = new QLineEdit(parent);
    box->setObjectName(boxName);
    label->setBuddy(box);
    grid->addWidget(label, row, 0);
    grid->addWidget(box, row, 1);
    return box;
}

} // namespace

AccessControlLoginWindow::AccessControlLoginWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("AccessControlLoginWindow"));
    setWindowTitle(QStringLiteral("Conect QROSQL"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* grid = new QGridLayout;
    m_dxtxtIP = addEntry(grid, 0, QStringLiteral("Label12"), QStringLiteral("QOR ServerIP :"),
                         QStringLiteral("dxtxtIP"), this);
    m_dxtxtport = addEntry(grid, 1, QStringLiteral("Label8"), QStringLiteral("Port :"),
                           QStringLiteral("dxtxtport"), this);
    m_dxtxtUser = addEntry(grid, 2, QStringLiteral("Label11"), QStringLiteral("User :"),
                           QStringLiteral("dxtxtUser"), this);
    m_dxtxtpass = addEntry(grid, 3, QStringLiteral("Label1"), QStringLiteral("Password :"),
                           QStringLiteral("dxtxtpass"), this);
    m_dxtxtpass->setEchoMode(QLineEdit::Password);
    // A '*' for each character, whatever the style's own password character is.
    m_dxtxtpass->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    m_dxtxtIP->setMinimumWidth(180);

    m_btnConnect = new QPushButton(QStringLiteral("Connect"), this);
    m_btnConnect->setObjectName(QStringLiteral("btnConnect"));
    m_btnConnect->setDefault(true);
    m_btnExit = new QPushButton(QStringLiteral("Exit"), this);
    m_btnExit->setObjectName(QStringLiteral("btnExit"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnConnect);
    buttons->addWidget(m_btnExit);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(m_btnConnect, &QPushButton::clicked, this, &AccessControlLoginWindow::connectClicked);
    connect(m_btnExit, &QPushButton::clicked, this, &QWidget::close);

    loadEntries();
}

void AccessControlLoginWindow::loadEntries()
{
    const AccessControlLogin login = readAccessControlLogin(m_context.paths);
    m_dxtxtIP->setText(login.host);
    m_dxtxtport->setText(login.port);
    m_dxtxtUser->setText(login.user);
    m_dxtxtpass->setText(login.password);
}

void AccessControlLoginWindow::connectClicked()
{
    const AccessControlLogin login{m_dxtxtIP->text(), m_dxtxtport->text(), m_dxtxtUser->text(),
                                   m_dxtxtpass->text()};
    if (const Outcome complete = checkAccessControlLogin(login); !complete) {
        m_context.prompter.message(Prompter::Icon::Question, m_context.title, complete.error());
        return;
    }
    // The login may take up to the driver's login timeout; the window cannot be used meanwhile.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Outcome connected = connectAccessControl(login, m_context.paths);
    QApplication::restoreOverrideCursor();
    if (!connected) {
        m_context.prompter.message(Prompter::Icon::Critical, m_context.title, connected.error());
        return;
    }
    if (m_afterConnect) {
        if (const Outcome next = m_afterConnect(m_fileMode); !next) {
            m_context.prompter.message(Prompter::Icon::Critical, m_context.title, next.error());
            return;
        }
    }
    close();
}
