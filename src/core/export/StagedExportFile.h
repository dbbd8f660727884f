#pragma once

#include "core/platform/CheckedFileWriter.h"
#include "core/platform/Outcome.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The road of an export's lines to the chosen file: every line goes into the staging file
// (emptied when the run starts, kept open for the whole run, code page 874 with CR LF), and
// at the end the staging file is copied beside the chosen file and renamed over it, then
// deleted. The chosen file is therefore replaced only by a complete export; a run that fails
// or is abandoned leaves it as it was and removes the staging file. Every write is checked, so
// a full disk ends the run with the reason instead of a short file.
class StagedExportFile final
{
public:
    StagedExportFile(QString stagingPath, QString outputPath);
    ~StagedExportFile();
    StagedExportFile(const StagedExportFile&) = delete;
    StagedExportFile& operator=(const StagedExportFile&) = delete;

    // Checks that the chosen file can be written and empties the staging file.
    Outcome begin();
    void writeLine(const QString& line);
    void writeEncodedLine(const QByteArray& line);
    // Copies the staging file to the chosen file and deletes it. copied, when given, is called
    // after every piece copied.
    Outcome commit(const std::function<void()>& copied = {});
    // Leaves the chosen file alone and deletes the staging file.
    void abandon();

private:
    void flush();

    QString m_stagingPath;
    QString m_outputPath;
    CheckedFileWriter m_staging;
    CheckedFileWriter m_output;
    QByteArray m_buffer;
};
