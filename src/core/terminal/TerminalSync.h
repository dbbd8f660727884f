#pragma once

#include "core/platform/AppPaths.h"
#include "core/terminal/LogConversion.h"
#include "core/terminal/TerminalsFile.h"

#include <functional>

class Tq90Client;

// What became of one terminal's log.
struct TerminalSyncResult
{
    enum class Status {
        Stored,        // the log is in the local database
        Empty,         // the terminal's log was empty
        ConnectError,  // the terminal could not be reached (code)
        TerminalError, // the terminal refused the download (code) or reported a size no terminal holds
        WriteError,    // the log file could not be written
        StoreError,    // the local database could not be opened or could not take the log
    };
    Status status = Status::Stored;
    int code = 0;
    QString message; // the operator's text for every status but Stored
    ConversionResult stored;
    // Stored: why the log cannot be shown to be wholly in the local database (an incomplete last
    // record, or a failed check); empty when it was shown or not checked.
    QString incomplete;
    bool erased = false;
    QString notErased; // erasing was asked and did not happen: why

    // The terminal needs the operator: it failed, or erasing was asked and not done.
    bool failed() const;
    // One line for a report: "read 200, new 3, erased", "failed: ...".
    QString summary() const;
};

// The work on one terminal that the window and the command line share: download the log into
// the log file, store it in the local database (LocalConnection, opened when it is not) and, when
// asked, erase the terminal's log, but only after the database was shown to hold every punch of
// the downloaded log and only when the terminal still holds exactly the log that was downloaded,
// so that no punch is ever erased unseen.
class TerminalSync final
{
public:
    enum class Afterwards {
        Keep,  // store only
        Check, // store and show that the database holds the whole log
        Erase, // store, check, and erase when the check holds
    };

    explicit TerminalSync(AppPaths paths) : m_paths(std::move(paths)) {}

    void setDownloadProgress(std::function<void(qint64 received, qint64 total)> progress)
    {
        m_downloadProgress = std::move(progress);
    }
    void setConversionProgress(ConversionProgress progress) { m_conversionProgress = std::move(progress); }
    // How far the check that the database holds the whole log has come.
    void setCheckProgress(ConversionProgress progress) { m_checkProgress = std::move(progress); }
    // Called every few milliseconds while the log is downloaded, stored and checked, so that a
    // window can handle its events.
    void setYield(std::function<void()> yield) { m_yield = std::move(yield); }

    // On a session the caller opened.
    TerminalSyncResult run(Tq90Client& client, int handle, Afterwards afterwards);
    // Connects to the terminal, runs, and ends the session; erases when the entry says so.
    TerminalSyncResult run(const TerminalEntry& terminal, int timeoutMs);

private:
    AppPaths m_paths;
    std::function<void(qint64, qint64)> m_downloadProgress;
    ConversionProgress m_conversionProgress;
    ConversionProgress m_checkProgress;
    std::function<void()> m_yield;
};
