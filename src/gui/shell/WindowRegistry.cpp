#include "gui/shell/WindowRegistry.h"

#include "gui/shell/CenterChildWindow.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

// The frame of a child window; tells its owner when it has really closed (a child may refuse).
class ChildFrame final : public QMdiSubWindow
{
public:
    explicit ChildFrame(std::function<void()> closed) : m_closed(std::move(closed))
    {
        setAttribute(Qt::WA_DeleteOnClose);
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        QMdiSubWindow::closeEvent(event);
        if (event->isAccepted() && m_closed)
            m_closed();
    }

private:
    std::function<void()> m_closed;
};

} // namespace

WindowRegistry::WindowRegistry(AppContext& context, QWidget& main, QMdiArea& area)
    : m_context(context), m_main(main), m_area(area)
{}

WindowRegistry::~WindowRegistry() = default;

void WindowRegistry::addFactory(WindowId id, Factory create, Preparation prepare)
{
    m_kinds[id] = Kind{std::move(create), std::move(prepare)};
}

void WindowRegistry::remove(WindowId id)
{
    m_kinds.erase(id);
}

bool WindowRegistry::isRegistered(WindowId id) const
{
    return m_kinds.contains(id);
}

QMdiSubWindow* WindowRegistry::frameOf(WindowId id) const
{
    const auto it = m_open.find(id);
    return it == m_open.end() ? nullptr : it->second.data();
}

QWidget* WindowRegistry::find(WindowId id) const
{
    QMdiSubWindow* frame = frameOf(id);
    return frame ? frame->widget() : nullptr;
}

QWidget* WindowRegistry::window(WindowId id)
{
    if (QWidget* existing = find(id))
        return existing;
    const auto kind = m_kinds.find(id);
    if (kind == m_kinds.end())
        return nullptr;
    QWidget* widget = kind->second.create(m_context);
    auto* frame = new ChildFrame([this, id] { m_open.erase(id); });
    frame->setWidget(widget);
    m_area.addSubWindow(frame);
    if (!widget->testAttribute(Qt::WA_Resized))
        frame->adjustSize();
    frame->hide();
    m_open[id] = frame;
    return widget;
}

QWidget* WindowRegistry::open(WindowId id, int item)
{
    QWidget* widget = window(id);
    if (!widget)
        return nullptr;
    const Kind& kind = m_kinds.at(id);
    if (kind.prepare)
        kind.prepare(*widget, item);
    centerChildWindow(m_main, *widget);
    QMdiSubWindow* frame = frameOf(id);
    frame->show();
    widget->show();
    m_area.setActiveSubWindow(frame);
    return widget;
}

void WindowRegistry::unload(WindowId id)
{
    if (QMdiSubWindow* frame = frameOf(id))
        frame->close();
}

QString WindowRegistry::describe(WindowId id)
{
    switch (id) {
    case WindowId::Connect:
        return QStringLiteral("terminal connection window");
    case WindowId::Export:
        return QStringLiteral("export window");
    case WindowId::EditExport:
        return QStringLiteral("format editor");
    case WindowId::Enroll:
        return QStringLiteral("fingerprint enrolment window");
    case WindowId::ConnectSql:
        return QStringLiteral("SQL Server connection window");
    case WindowId::Employee:
        return QStringLiteral("employee picker");
    case WindowId::TQID:
        return QStringLiteral("terminal picker");
    case WindowId::Splash:
        return QStringLiteral("progress window");
    }
    return QStringLiteral("window");
}
