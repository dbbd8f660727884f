#pragma once

#include "core/layouts/ExportFieldList.h"
#include "core/layouts/LayoutGridModel.h"
#include "core/layouts/WidthEntry.h"

#include <QDate>
#include <QWidget>

#include <functional>

struct AppContext;
class FormatEditorHost;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

// The format editor: builds the program's current layout (ExportLayout::current()) from the
// seven fields, with each field's width, filling, the date and time patterns, the era, the
// entry and exit texts, the delimiter and a one-line preview, and saves it under a name.
// Changes act on the current layout at once; only Save & Exit writes a file.
class FormatEditor final : public QWidget
{
    Q_OBJECT

public:
    // editorMode: set by the export window before it shows the editor.
    static constexpr int EditLayout = 1;
    static constexpr int NewLayout = 2;

    explicit FormatEditor(AppContext& context, QWidget* parent = nullptr);
    ~FormatEditor() override;

    int editorMode() const { return m_editorMode; }
    void setEditorMode(int mode) { m_editorMode = mode; }
    // The window whose list and reader Save & Exit uses; without one, the export window of the
    // main window's registry is used when it is open.
    void setHost(FormatEditorHost* host) { m_host = host; }
    // The clock the era captions are taken from (the context's by default); re-captions them.
    void setClock(std::function<QDate()> today);

    // Loads the named layout, or the file the operator picks when the name is empty, into the
    // current layout and the grid. A cancelled dialog or a file that does not exist leaves the
    // editor as it was and tells the operator. Returns whether a layout was loaded.
    bool loadExportLayout(const QString& fileName = QString());
    // Selects the delimiter option of the current layout's delimiter and rebuilds the preview.
    void updateDelimiter();
    // Rebuilds the preview with the delimiter (the current layout's, by its callers).
    void refreshPreview(const QString& Delimiter_msg);
    void backUpAlignment(int RowIsRemove) { m_fields.backUpAlignment(RowIsRemove); }
    // Closes the window (its frame, inside the main window).
    void exitEditor();

    LayoutGridModel& exportFields() { return m_grid; }
    // The selected row of the export-field grid (0 is the header row).
    int selectedRow() const { return m_row; }
    void selectRow(int r);
    // The selected row of the field list (0: none).
    int selectedField() const { return m_fieldRow; }
    void selectField(int r);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildFieldPanel(QGroupBox* panel);
    void buildDelimiterPanel(QGroupBox* panel);
    void connectControls();
    void captionEras();

    void MSHFlexGrid1_Click(int r);
    void MSHFlexGrid2_Click(int r);
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdUp_Click();
    void cmdDown_Click();
    void cmdSaveExit_Click();
    void cmdCancel_Click();
    void optDelimiter_Click(int index);
    void txtFormatData_Change(const QString& text);
    void cmbAlignmentData_Click(int index);
    void txtStr_Change(const QString& text);
    void Option1_Click();
    void Option2_Click();
    void txtIN_Change(const QString& text);
    void txtOUT_Change(const QString& text);
    void optIN_Click(bool checked);
    void optOUT_Click(bool checked);

    // Shows the settings of the selected row for its field kind.
    void refreshPanel();
    // Shows the width, alignment and pad controls, or hides them.
    void showWidthControls(bool on);
    void rebuildPreview();
    FormatEditorHost* host() const;

    AppContext& m_context;
    LayoutGridModel m_grid;
    LayoutGridModel m_allFields;
    ExportFieldList m_fields;
    WidthEntry m_widthEntry;
    std::function<QDate()> m_today;
    FormatEditorHost* m_host = nullptr;
    int m_editorMode = EditLayout;
    int m_row = 0;
    int m_fieldRow = 0;

    QTableView* m_MSHFlexGrid1;
    QTableView* m_MSHFlexGrid2;
    QPushButton* m_cmdAdd;
    QPushButton* m_cmdDelete;
    QPushButton* m_cmdUp;
    QPushButton* m_cmdDown;
    QPushButton* m_cmdSaveExit;
    QPushButton* m_cmdCancel;
    QLineEdit* m_txtFileName;
    QLineEdit* m_txtViewName;

    QLabel* m_Label1;
    QLabel* m_lblWidth;     // lbl(1)
    QLabel* m_lblAlignment; // lbl(2)
    QLabel* m_lblFormat;    // lbl(3)
    QLabel* m_lblIn;        // lbl(5)
    QLabel* m_lblOut;       // lbl(6)
    QLabel* m_lblYear;      // lbl(7)
    QLabel* m_lblPad;       // lbl(8)
    QLineEdit* m_txtFormatData;
    QComboBox* m_cmbAlignmentData;
    QLineEdit* m_txtStr;
    QComboBox* m_cmbDataFormat;
    QComboBox* m_combformatTime;
    QRadioButton* m_Option1;
    QRadioButton* m_Option2;
    QFrame* m_XPFrame1;
    QLineEdit* m_txtIN;
    QLineEdit* m_txtOUT;
    QCheckBox* m_optIN;
    QCheckBox* m_optOUT;

    QButtonGroup* m_optDelimiter;
    QLineEdit* m_txtDelimiter;
    QLabel* m_Label2;
    QLineEdit* m_txtSimpleExport;
};
