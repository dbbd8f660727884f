#pragma once

#include "gui/shell/WindowRegistry.h"

#include <QMainWindow>

#include <memory>

struct AppContext;
class Backdrop;
class QMdiArea;
class SideBar;

// The program's frame: the side bar on the left, the child windows on a stretched backdrop,
// and the side bar's navigation. The child windows themselves are kept by the WindowRegistry.
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(AppContext& context, QWidget* parent = nullptr);
    ~MainWindow() override;

    WindowRegistry& windows() { return *m_windows; }
    QMdiArea& mdiArea() { return *m_mdiArea; }
    SideBar& sideBar() { return *m_dxSideBar1; }
    Backdrop& backdrop() { return *m_backdrop; }

    // The side bar's action for an item's value; values outside 1 to 6 do nothing.
    void dxSideBar1_ItemClick(int userData);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildSideBar();
    // Opens LocalConnection; a failure is shown with its reason and stops the action.
    bool openLocalDatabase();
    // Opens TimeAttendanceConnection; a failure shows "Can not connect database TA" with the
    // driver's reason and where the connection settings are.
    bool openTimeAttendanceDatabase();
    // Shows the window, or tells the operator that this version has none of that kind yet.
    void showWindow(WindowId id, int item);

    AppContext& m_context;
    QMdiArea* m_mdiArea = nullptr;
    SideBar* m_dxSideBar1 = nullptr;
    Backdrop* m_backdrop = nullptr;
    std::unique_ptr<WindowRegistry> m_windows;
};
