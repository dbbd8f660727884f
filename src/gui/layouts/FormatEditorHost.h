#pragma once

#include <QString>

// What the format editor's Save & Exit asks of the window that opened it (the export window):
// its layout list and its own layout reader.
class FormatEditorHost
{
public:
    virtual ~FormatEditorHost() = default;

    // Adds a layout name to the list unless it is listed already (a layout was saved under it).
    virtual void addLayoutName(const QString& name) = 0;
    // Makes the name the list's text.
    virtual void showLayoutName(const QString& name) = 0;
    // Loads the layout of that name into the window's grid and the current layout.
    virtual void loadLayout(const QString& name) = 0;
};
