#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>

struct AppContext;
class QMdiArea;
class QMdiSubWindow;

// The kinds of child window shown inside the main window; each exists at most once.
enum class WindowId {
    Connect,    // TerminalWindow: terminal connection and log download
    Export,     // ExportWindow
    EditExport, // FormatEditor: format editor
    Enroll,     // EnrolmentWindow
    ConnectSql, // AccessControlLoginWindow: SQL Server connection
    Employee,   // EmployeePicker: employee picker
    TQID,       // TerminalPicker: terminal picker
    Splash,     // ConversionProgressWindow: progress of the log conversion
};

// Owns the child windows of the main window. A window is created the first time it is
// referenced, lives inside the frame, and is discarded when it is closed or unloaded; the next
// reference creates a fresh one.
//
// Adding a window: give it the constructor `explicit SomeWindow(AppContext& context, QWidget* parent =
// nullptr)` and add one line to registerWindows() in app/gui/WindowCatalog.cpp, with a
// preparation when the side bar must set the window up before showing it (the item number
// tells which side-bar item opened it):
//
//     registry.add<EnrolmentWindow>(WindowId::Enroll);
//     registry.add<AccessControlLoginWindow>(WindowId::ConnectSql, [](AccessControlLoginWindow& w, int item)
//     { w.setFileMode(item
//     == 5); });
//
// The side bar's actions (MainWindow) open the kinds Connect, Export, Enroll and ConnectSql and
// unload EditExport; a preparation called with item 0 comes from another window.
//
// Other windows reach the registry through AppContext::windows, e.g.
// `context.windows->open(WindowId::Export)` or `context.windows->window<ExportWindow>(WindowId::Export)`.
class WindowRegistry final
{
public:
    using Factory = std::function<QWidget*(AppContext&)>;
    using Preparation = std::function<void(QWidget&, int item)>;

    // main is the frame that centerChildWindow places the windows in; area holds them.
    WindowRegistry(AppContext& context, QWidget& main, QMdiArea& area);
    ~WindowRegistry();
    WindowRegistry(const WindowRegistry&) = delete;
    WindowRegistry& operator=(const WindowRegistry&) = delete;

    template <class W> void add(WindowId id, std::function<void(W&, int item)> prepare = {})
    {
        Preparation typed;
        if (prepare)
            typed = [prepare](QWidget& w, int item) {
                prepare(static_cast<W&>(w), item);
            };
        addFactory(
            id, [](AppContext& context) -> QWidget* { return new W(context); }, std::move(typed));
    }
    void addFactory(WindowId id, Factory create, Preparation prepare = {});
    // Forgets the kind; its open window, if any, stays until it is closed.
    void remove(WindowId id);
    bool isRegistered(WindowId id) const;

    // The window, created (hidden) on first reference; nullptr when the kind is not registered.
    QWidget* window(WindowId id);
    template <class W> W* window(WindowId id) { return dynamic_cast<W*>(window(id)); }
    // The window when it exists, without creating it.
    QWidget* find(WindowId id) const;
    // An open window whose "busy" property says that it is running a command, if there is one.
    std::optional<WindowId> busyWindow() const;
    // Creates the window when needed, runs its preparation with the item, places it with
    // centerChildWindow and shows it (modeless). nullptr when the kind is not registered.
    QWidget* open(WindowId id, int item = 0);
    // Closes and discards the window; nothing happens when it is not open. A window may refuse
    // to close (its closeEvent ignores the event) and then stays.
    void unload(WindowId id);

    // How the operator knows the window, for messages: "export window".
    static QString describe(WindowId id);

private:
    struct Kind
    {
        Factory create;
        Preparation prepare;
    };

    QMdiSubWindow* frameOf(WindowId id) const;

    AppContext& m_context;
    QWidget& m_main;
    QMdiArea& m_area;
    std::map<WindowId, Kind> m_kinds;
    std::map<WindowId, QPointer<QMdiSubWindow>> m_open;
};
