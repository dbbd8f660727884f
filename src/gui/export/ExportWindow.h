#pragma once

#include "core/export/ExportFilter.h"
#include "core/export/ExportReport.h"
#include "core/export/TextExport.h"
#include "core/export/TimeAttendanceExport.h"
#include "core/layouts/LayoutGridModel.h"
#include "core/search/ChosenEmployeeList.h"
#include "core/search/RunProgress.h"
#include "gui/layouts/FormatEditorHost.h"
#include "gui/search/NumberPicker.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

struct AppContext;
enum class WindowId;
class QButtonGroup;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;

// The export window: the operator chooses a layout, sets the filters (employees, raw or
// filtered data, dates, terminals) and starts an export to a text file or into the
// time-attendance database. It shows the chosen layout as a two-column grid with a one-line
// preview, and opens the employee and terminal pickers and the format editor.
//
// The window loads (fills its layout list and selects a layout) when it is first shown or
// prepared, so whoever opens it sets TAMode before that. The four export buttons are hidden as
// designed; the opener's preparation shows the one it needs.
//
// Object names of indexed controls carry the index: OptSearch_0/_1, optDataType_0/_1,
// dtpExport_0/_1.
class ExportWindow final : public QWidget, public FormatEditorHost
{
    Q_OBJECT

public:
    // How the export commands reach the access-control server's punches. Set by the window
    // that connected to that server, before it prepares this window for one of its two
    // access-control modes.
    struct AccessControlSource
    {
        // Runs first in either access-control export: asks whether the scanners' data is deleted
        // after the import and brings the server's logs into RALog. False stops the export (the
        // operator has been told why).
        std::function<bool()> pullLogs;
        std::function<Expected<ExportReport>(TextExport&, const TextExportRequest&, const ExportLineBuilder&)>
            exportText;
        std::function<Expected<ExportReport>(TimeAttendanceExport&, const ExportFilter&)>
            exportTimeAttendance;
        // The persons of the server, for the employee picker.
        NumberPicker::Lister employees;
    };

    // The format editor's modes as the export window opens it.
    enum class editorMode : qint16 { Edit = 1, New = 2 };
    // Opens the format editor centred in the main window, in the mode, with the layout of the
    // list entry (empty for a new layout or when the list has no such entry) handed to the
    // editor's own reader.
    using FormatEditorOpener = std::function<void(editorMode mode, const QString& layoutName)>;

    explicit ExportWindow(AppContext& context, QWidget* parent = nullptr);
    ~ExportWindow() override;

    // true: the window exports into the time-attendance database. Set before the window loads.
    void setTAMode(bool on) { m_timeAttendanceMode = on; }
    bool isTimeAttendanceMode() const { return m_timeAttendanceMode; }
    // The load steps, run once: date pickers to today, the layout list filled and a layout
    // selected, all employees chosen.
    void ensureLoaded();

    // Side-bar item 2: export of local punches to a text file.
    void prepareTextExport();
    // Side-bar item 3: export of local punches into the time-attendance database (whose
    // connection the side bar has opened).
    void prepareTimeAttendanceExport();
    // After connecting to the access-control server: its punches to a text file, or into the
    // time-attendance database. Set the source first.
    void prepareAccessControlTextExport();
    void prepareAccessControlTimeAttendanceExport();
    void setAccessControlSource(AccessControlSource source) { m_accessControl = std::move(source); }

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
    bool isExporting() const { return m_exporting; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Source { Local, AccessControl };
    enum class Target { TextFile, TimeAttendance };

    void buildControls();
    void fillLayoutList();
    void cmbFileFormat_Activated(int index);
    void cmdClear_Click();
    void cmdSearch_Click();
    void XPButton1_Click();
    void cmdNew_Click();
    void cmdEdit_Click();
    // The opener used inside the main window: the registry's format editor, shown centred.
    void openFormatEditor(editorMode mode, const QString& layoutName);
    void runExport(Source source, Target target);
    Expected<ExportReport> exportText(Source source, const ExportFilter& filter, bool& cancelled);
    Expected<ExportReport> exportTimeAttendance(Source source, const ExportFilter& filter);
    ExportFilter currentFilter() const;
    void setExportCommandsEnabled(bool enabled);
    void setLayoutControlsEnabled(bool enabled);
    void showProgress();
    void hideProgress();
    bool inAccessControlMode() const;
    // Opens a picker centred in the main window, its "ตกลง" writing into box.
    template <class Picker>
    Picker* openPicker(WindowId id, const NumberPicker::Lister& lister, QLineEdit* box);

    AppContext& m_context;
    bool m_timeAttendanceMode = false;
    bool m_loaded = false;
    bool m_exporting = false;
    bool m_layoutControlsEnabled = true;
    RunProgress m_progress;
    AccessControlSource m_accessControl;
    FormatEditorOpener m_formatEditor;
    std::shared_ptr<const ChosenEmployeeList> m_chosenEmployees;
    LayoutGridModel* m_grid;
    QList<QPointer<QWidget>> m_ownPickers; // pickers shown without a main window

    QLabel* m_Label4;
    QRadioButton* m_OptSearch[2];
    QLineEdit* m_txtEmployee;
    QPushButton* m_cmdSearch;
    QRadioButton* m_optDataType[2];
    QRadioButton* m_Option1;
    QRadioButton* m_Option2;
    QDateEdit* m_dtpExport[2];
    QRadioButton* m_Option3;
    QRadioButton* m_Option4;
    QLineEdit* m_txtFID;
    QPushButton* m_XPButton1;
    QComboBox* m_cmbFileFormat;
    QPushButton* m_cmdNew;
    QPushButton* m_cmdEdit;
    QPushButton* m_cmdClear;
    QTableView* m_MSHFlexGrid2;
    QLineEdit* m_txtSimpleExport;
    QPushButton* m_cmdExport;
    QPushButton* m_cmdQROSQLExport;
    QPushButton* m_cmdExportTA;
    QPushButton* m_cmdQORSQLtoTA;
    QPushButton* m_cmdCancel;
    QProgressBar* m_ProgressBar1;
};
