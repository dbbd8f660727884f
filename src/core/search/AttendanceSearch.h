#pragma once

#include "core/platform/Outcome.h"
#include "core/search/PunchRecord.h"
#include "core/search/PunchSource.h"
#include "core/search/RunProgress.h"

#include <QSqlDatabase>

#include <functional>

// Copy mode writes every punch with its own direction code; pairing mode turns the punches
// of each person's day into IN ("1") and OUT ("2").
enum class SearchMode { Copy, Pairing };

struct SearchResult
{
    qint64 written = 0;
    // Source rows with a null person, date or direction: not placed, left out.
    qint64 incomplete = 0;
};

// Receives every work row as it is written, in the source's order.
using WorkRowSink = std::function<void(const PunchRecord&)>;

// The attendance search: empties the work table tblExport1 of the local database and fills it
// from a source of punches. The source must deliver each person's rows together and, for
// pairing, in order of date and time.
//
// Pairing: the first punch of a person's day takes the direction entered (IN when none was
// entered; a code other than 0, 1, 2 writes nothing), a later punch of that day without a
// direction takes the other direction than the one last assigned, and a later punch with an
// explicit code keeps it without moving the alternation. A day is a whole date.
//
// The work table is emptied and filled in one transaction: when the search fails, the table
// keeps the previous search's rows.
class AttendanceSearch final
{
public:
    AttendanceSearch(QSqlDatabase local, RunProgress& progress);
    Expected<SearchResult> run(PunchSource& source, SearchMode mode, const WorkRowSink& sink = {});

private:
    QSqlDatabase m_local;
    RunProgress& m_progress;
};

// The search over the local table tblexport.
Expected<SearchResult> searchPunches(const SourceQuery& query, SearchMode mode, RunProgress& progress,
                                     const WorkRowSink& sink = {});

// The search over the access-control server's log RALog, through AccessControlConnection.
Expected<SearchResult> searchAccessControlPunches(const SourceQuery& query, SearchMode mode,
                                                  RunProgress& progress, const WorkRowSink& sink = {});
