#pragma once

#include "core/export/ExportChoices.h"
#include "core/export/ExportRunner.h"
#include "core/layouts/LayoutGridModel.h"
#include "core/search/ChosenEmployeeList.h"
#include "gui/layouts/FormatEditorHost.h"
#include "gui/search/NumberPicker.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

struct AppContext;
enum class WindowId;
class ExportFilterPanel;
class LayoutSampleBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// The export window: the operator chooses a layout, sets the filters (employees, raw or
// filtered data, dates, terminals) and starts an export to a text file or into the
// time-attendance database. It shows the chosen layout as a two-column grid with a one-line
// preview, and opens the employee and terminal pickers and the format editor.
//
// What the window allows and exports is decided by ExportChoices, what an export command runs
// by ExportRunner; the window wires its controls to them.
//
// The window loads (fills its layout list and selects a layout) when it is first shown or
// prepared, so whoever opens it sets TAMode before that. The four export buttons are hidden as
// designed; the opener's preparation shows the one it needs.
class ExportWindow final : public QWidget, public FormatEditorHost
{
    Q_OBJECT
    // true while an export runs (the main window's side bar waits for it)
    Q_PROPERTY(bool busy READ isExporting)

public:
    // How the export commands reach the access-control server's punches, and its persons for
    // the employee picker. Set by the window that connected to that server, before it prepares
    // this window for one of its two access-control modes.
    struct AccessControlSource : ExportRunner::AccessControlSteps
    {
        NumberPicker::Lister employees;
    };

    // The format editor's modes as the export window opens it.
    enum class editorMode : qint16 { Edit = 1, New = 2 };
    // Opens the format editor centred in the main window, in the mode, with the layout of the
    // list entry (empty for a new layout) handed to the editor's own reader.
    using FormatEditorOpener = std::function<void(editorMode mode, const QString& layoutName)>;

    explicit ExportWindow(AppContext& context, QWidget* parent = nullptr);
    ~ExportWindow() override;

    // true: the window exports into the time-attendance database. Set before the window loads.
    void setTAMode(bool on) { m_choices.setTimeAttendanceMode(on); }
    bool isTimeAttendanceMode() const { return m_choices.isTimeAttendanceMode(); }
    // The load steps, run once: date pickers to today, the layout list filled and a layout
    // selected, all employees chosen.
    void ensureLoaded();

    // Side-bar item 2: export of local punches to a text file.
    void prepareTextExport() { prepare(ExportChoices::Export::Text); }
    // Side-bar item 3: export of local punches into the time-attendance database (whose
    // connection the side bar has opened).
    void prepareTimeAttendanceExport() { prepare(ExportChoices::Export::TimeAttendance); }
    // After connecting to the access-control server: its punches to a text file, or into the
    // time-attendance database. Set the source first.
    void prepareAccessControlTextExport() { prepare(ExportChoices::Export::AccessControlText); }
    void prepareAccessControlTimeAttendanceExport()
    {
        prepare(ExportChoices::Export::AccessControlTimeAttendance);
    }
    void setAccessControlSource(const AccessControlSource& source);

    // Makes cmdNew and cmdEdit usable (when the window's mode allows the layout controls).
    void setFormatEditor(FormatEditorOpener opener);

    // What the format editor's Save & Exit asks of this window: list a new layout (once), make
    // a name the list's choice, and load a layout by name.
    void addLayoutName(const QString& name) override;
    void showLayoutName(const QString& name) override;
    void loadLayout(const QString& name) override { loadExportLayout(name); }

    // Reads the named layout of the ExportFormat folder into the grid, the current layout and
    // the preview; the empty name asks the operator for the file. The format editor calls it
    // after saving a layout.
    void loadExportLayout(const QString& name);

    AppContext& context() const { return m_context; }
    LayoutGridModel& grid() { return *m_grid; }
    // The employee picker's last list with the operator's choices.
    std::shared_ptr<const ChosenEmployeeList> chosenEmployees() const { return m_chosenEmployees; }
    bool isExporting() const { return m_runner->isRunning(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    QWidget* buildLayoutFrame();
    void connectControls();
    void prepare(ExportChoices::Export kind);
    // Sets every control's enabled state, the export buttons' visibility and the captions from
    // the choices.
    void syncControls();
    void fillLayoutList();
    void chooseEmployees();
    void chooseTerminals();
    void newLayout();
    void editLayout();
    // The opener used inside the main window: the registry's format editor, shown centred.
    void openFormatEditor(editorMode mode, const QString& layoutName);
    void runExport(ExportChoices::Export kind);
    // Opens a picker centred in the main window, its "ตกลง" writing into box.
    template <class Picker>
    Picker* openPicker(WindowId id, const NumberPicker::Lister& lister, QLineEdit* box);

    AppContext& m_context;
    ExportChoices m_choices;
    ExportRunner* m_runner;
    bool m_loaded = false;
    NumberPicker::Lister m_accessControlEmployees;
    FormatEditorOpener m_formatEditor;
    std::shared_ptr<const ChosenEmployeeList> m_chosenEmployees;
    LayoutGridModel* m_grid;
    QList<QPointer<QWidget>> m_ownPickers; // pickers shown without a main window

    QLabel* m_Label4;
    ExportFilterPanel* m_filters;
    QComboBox* m_cmbFileFormat;
    QPushButton* m_cmdNew;
    QPushButton* m_cmdEdit;
    QPushButton* m_cmdClear;
    LayoutSampleBox* m_sample;
    // indexed by ExportChoices::Export
    QPushButton* m_exportCommands[4];
    QPushButton* m_cmdCancel;
    QProgressBar* m_ProgressBar1;
};
