#pragma once

#include "core/platform/Outcome.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>

struct ConversionResult
{
    qint64 read = 0;  // punches in the file
    qint64 added = 0; // punches that were not in tblexport before
};

// Reports progress: done of total punches. Called when the whole percentage changes and after
// the last punch.
using ConversionProgress = std::function<void(qint64 done, qint64 total)>;

// Stores the punches of a downloaded log file (16-byte records and one extra trailing byte,
// which is not part of the log; bytes after the last whole record are ignored) in tblexport,
// so that each punch is there exactly once however often the same log is converted. Runs as
// one transaction: either every punch is stored or the table is left as it was and the
// failure says why.
Expected<ConversionResult> convertLogToDatabase(const QString& logFile, const QSqlDatabase& db,
                                                const ConversionProgress& progress = {});

// The progress as the progress window shows it: done * 100 / total as a decimal number of up
// to 15 significant digits with a leading blank, then " %" (" 100 %", " 33.3333333333333 %").
QString conversionProgressText(qint64 done, qint64 total);

// "Read 200 punches, 3 new." for the operator.
QString conversionSummary(const ConversionResult& result);
