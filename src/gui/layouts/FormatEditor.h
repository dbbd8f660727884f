#pragma once

#include "core/layouts/LayoutDraft.h"

#include <QDate>
#include <QWidget>

#include <functional>

struct AppContext;
class DelimiterPanel;
class FieldFormatPanel;
class FormatEditorHost;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The format editor: the operator builds an export layout from the seven fields, with each
// field's width, filling, the date and time patterns, the era, the entry and exit texts, the
// delimiter and a one-line preview, and saves it under a name.
//
// It works on a draft (LayoutDraft, which takes every decision); the program's current layout,
// which the export window shows and exports, changes only when Save & Exit succeeds. Cancel and
// closing the editor's frame leave it exactly as it was.
class FormatEditor final : public QWidget
{
    Q_OBJECT

public:
    // editorMode: set by the export window before it shows the editor.
    static constexpr int EditLayout = 1;
    static constexpr int NewLayout = 2;

    explicit FormatEditor(AppContext& context, QWidget* parent = nullptr);
    ~FormatEditor() override;

    int editorMode() const { return static_cast<int>(m_draft.mode()); }
    // NewLayout also starts the layout without IN-only and OUT-only.
    void setEditorMode(int mode);
    // The window whose list and reader Save & Exit uses; without one, the export window of the
    // main window's registry is used when it is open.
    void setHost(FormatEditorHost* host) { m_host = host; }
    // The clock the era captions are taken from (the context's by default); re-captions them.
    void setClock(std::function<QDate()> today);

    // Reads the named layout, or the file the operator picks when the name is empty, into the
    // editor. A cancelled dialog or a file that does not exist leaves the editor as it was and
    // tells the operator. Returns whether a layout was read.
    bool loadExportLayout(const QString& fileName = QString());
    // Closes the window (its frame, inside the main window).
    void exitEditor();

    const LayoutDraft& draft() const { return m_draft; }
    LayoutGridModel& exportFields() { return m_draft.rows(); }
    // The selected row of the export-field grid (0 is the header row), and of the field list.
    int selectedRow() const { return m_draft.selectedRow(); }
    int selectedField() const { return m_draft.selectedField(); }

private:
    void buildWindow();
    QWidget* buildSamplePanel();
    void connectControls();
    // Shows the draft: selections, settings panel, delimiter, names and preview.
    void showDraft();
    void saveAndExit();
    FormatEditorHost* host() const;

    AppContext& m_context;
    LayoutDraft m_draft;
    std::function<QDate()> m_today;
    FormatEditorHost* m_host = nullptr;

    QTableView* m_fieldList;
    QTableView* m_exportFields;
    QPushButton* m_add;
    QPushButton* m_remove;
    QPushButton* m_up;
    QPushButton* m_down;
    QPushButton* m_saveExit;
    QPushButton* m_cancel;
    QLineEdit* m_fileName;
    QLineEdit* m_viewName;
    FieldFormatPanel* m_fieldPanel;
    DelimiterPanel* m_delimiterPanel;
    QLabel* m_ruler;
    QLineEdit* m_preview;
};
