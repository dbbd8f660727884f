#pragma once

#include "core/platform/AppPaths.h"
#include "core/platform/Prompter.h"

#include <QDate>

#include <functional>

class WindowRegistry;

// What every window is built with: where the program's files are and how it asks the operator.
// Windows take an AppContext& and keep the reference; the context outlives them all.
struct AppContext
{
    AppPaths paths;
    Prompter& prompter;
    // The program's title, used for message boxes that name no other title.
    QString title = QStringLiteral("TQ & QOR Tool");
    // The child windows of the main window; set by the main window, absent without one.
    WindowRegistry* windows = nullptr;
    // Today's date where a window shows it (the export window's date pickers); tests fix it.
    std::function<QDate()> today = [] {
        return QDate::currentDate();
    };
};
