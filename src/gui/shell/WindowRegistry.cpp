#include "gui/shell/WindowRegistry.h"

#include "gui/shell/CenterChildWindow.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVariant>

#include <utility>

namespace {

// The frame of a child window. The frame and its window live and die together: a window that
// closes itself (an Exit button, a successful Connect) closes its frame, so no empty frame is left
// behind; the frame tells its owner when it has really closed (a window may refuse).
class ChildFrame final : public QMdiSubWindow
{
public:
    ChildFrame() { setAttribute(Qt::WA_DeleteOnClose); }

    void setClosed(std::function<void()> closed) { m_closed = std::move(closed); }

    void setChild(QWidget* widget)
    {
        setWidget(widget);
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A window that closed itself (not through this frame) takes the frame with it once its
        // close has gone through; a window that refused to close stays shown and keeps its frame.
        if (event->type() == QEvent::Close && watched == widget() && !m_closing)
            QMetaObject::invokeMethod(this, &ChildFrame::closeAfterChild, Qt::QueuedConnection);
        return QMdiSubWindow::eventFilter(watched, event);
    }

    void closeEvent(QCloseEvent* event) override
    {
        m_closing = true;
        QMdiSubWindow::closeEvent(event);
        m_closing = false;
        if (event->isAccepted() && m_closed) {
            const auto closed = std::exchange(m_closed, {});
            closed();
        }
    }

private:
    void closeAfterChild()
    {
        QWidget* child = widget();
        if (child && !child->isHidden())
            return;
        if (child) {
            // it has answered its close already; it is not asked again
            child->removeEventFilter(this);
            setWidget(nullptr);
            child->deleteLater();
        }
        close();
    }

    std::function<void()> m_closed;
    bool m_closing = false;
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

std::optional<WindowId> WindowRegistry::busyWindow() const
{
    for (const auto& [id, frame] : m_open) {
        if (frame && frame->widget() && frame->widget()->property("busy").toBool())
            return id;
    }
    return std::nullopt;
}

QWidget* WindowRegistry::window(WindowId id)
{
    if (QWidget* existing = find(id))
        return existing;
    const auto kind = m_kinds.find(id);
    if (kind == m_kinds.end())
        return nullptr;
    QWidget* widget = kind->second.create(m_context);
    auto* frame = new ChildFrame;
    frame->setClosed([this, id, frame] {
        // a frame closing late must not forget a newer window of the same kind
        if (frameOf(id) == frame)
            m_open.erase(id);
    });
    frame->setChild(widget);
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
