#pragma once

#include "core/platform/Outcome.h"

#include <QList>
#include <QString>

// One terminal of a terminals file.
struct TerminalEntry
{
    QString name; // the section's name
    QString ip;
    int port = 5001;
    bool erase = false;
};

// Reads a terminals file: an INI file in the program's own format with one section per
// terminal, named by the section, and the keys IP (required), Port (1 to 65535, default 5001)
// and Erase (yes or no, default no). Fails naming the file, the section and the key at fault.
Expected<QList<TerminalEntry>> readTerminalsFile(const QString& path);
