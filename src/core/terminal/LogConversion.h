#pragma once

#include "core/platform/Outcome.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <optional>

struct ConversionResult
{
    qint64 read = 0;         // whole punches in the log
    qint64 added = 0;        // punches that were not in tblexport before
    qint64 partialBytes = 0; // bytes of an incomplete record at the log's end, not read
};

// Reports progress: done of total punches. Called when the whole percentage changes and after
// the last punch.
using ConversionProgress = std::function<void(qint64 done, qint64 total)>;

// Stores the punches of a downloaded log file in tblexport, so that each punch is there exactly
// once however often the same log is converted. The file holds the log (16-byte records) and
// one extra byte that is not part of it. Every whole record is read, also when the extra byte
// is missing; the bytes of an incomplete last record are counted in partialBytes. When logBytes
// is given (the size just downloaded), the file must hold exactly that and the extra byte.
// A file larger than a terminal's log can be is refused before anything is read. Runs as one
// transaction: either every punch is stored or the table is left as it was and the failure
// says why. yieldToWindow, when given, is called every few milliseconds of the work, so that a
// window can handle its events.
Expected<ConversionResult> convertLogToDatabase(const QString& logFile, const QSqlDatabase& db,
                                                const ConversionProgress& progress = {},
                                                std::optional<qint64> logBytes = std::nullopt,
                                                const std::function<void()>& yieldToWindow = {});

// Shows that the local database holds the downloaded log: the log file holds exactly the
// downloaded bytes and the extra byte, and every whole record of it is a row of tblexport.
// Fails naming the first thing that does not hold (the first missing punch in the log's order).
// progress tells how many of the punches were looked up, as the conversion's does.
Outcome verifyStoredLog(const QString& logFile, const QSqlDatabase& db, const QByteArray& downloaded,
                        const ConversionProgress& progress = {},
                        const std::function<void()>& yieldToWindow = {});

// The progress as the progress window shows it: done * 100 / total as a decimal number of up
// to 15 significant digits with a leading blank, then " %" (" 100 %", " 33.3333333333333 %").
QString conversionProgressText(qint64 done, qint64 total);

// "Read 200 punches, 3 new." for the operator.
QString conversionSummary(const ConversionResult& result);

// What the operator is told of an incomplete last record; empty when there is none.
QString partialRecordText(const ConversionResult& result);
