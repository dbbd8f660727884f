#include "core/terminal/LogConversion.h"

#include "core/platform/CheckedFileWriter.h"
#include "core/terminal/LogRecord.h"
#include "core/terminal/Tq90Protocol.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDriver>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <optional>
#include <vector>

// The conversion writes through the local connection's own SQLite handle rather than through
// QSqlQuery: binding six short texts per punch as UTF-8 from a buffer, without a QString and a
// QVariant for each, is what keeps a million-punch log faster than the sqlite3 shell's import.
//
// The punches are stored in the order of the punch index rather than the log's: each one then
// lands beside the one before, at the end of the index as it grows, so the index needs only its
// last pages in memory and fills them completely. Sorted, repeats of a punch inside the log lie
// side by side, and comparing each punch with the one before finds them without a set of every
// punch seen; into a table that holds punches already, each is looked up in the same order, so
// the lookups walk the index instead of jumping about it.

namespace {

constexpr qint64 RecordsPerRead = 4096;
// Punches sorted in one go; the runs are then merged. Small enough to sort between two turns of
// a window's event loop.
constexpr qint64 RecordsPerRun = 1 << 16;
// The page cache during a conversion: the index's and the table's last pages, with room to spare.
constexpr int ConversionCacheKiB = 8 * 1024;
constexpr int RowsPerInsert = 50;

const QByteArray CountStatement = "Select count(*) from tblexport where HID = ? and FID = ? and GID = ? and "
                                  "wDate = ? and wTime = ? and Status = ?";
const QByteArray DeleteStatement =
    "Delete from tblexport where HID = ? and FID = ? and GID = ? and wDate = ? and "
    "wTime = ? and Status = ?";
const QByteArray InsertStatement =
    "Insert into tblexport(HID,FID,GID,wDate,wTime,Status) values(?,?,?,?,?,?)";

// A record as two numbers that order punches as the punch index mostly does: by person, terminal,
// group, date, time and direction, each compared as a number (the index compares the texts,
// which is the same order while the numbers have as many digits). Records with equal bytes have
// equal keys, and the other way round.
struct SortKey
{
    std::uint64_t high = 0; // user ID, terminal, group
    std::uint64_t low = 0;  // year, month, day, hour, minute, second, direction

    static SortKey of(const char* p)
    {
        const LogRecord r = LogRecord::decode(p);
        return {r.userId << 16 | std::uint64_t{r.terminal} << 8 | r.group,
                std::uint64_t{r.year} << 48 | std::uint64_t{r.month} << 40 | std::uint64_t{r.day} << 32 |
                    std::uint64_t{r.hour} << 24 | std::uint64_t{r.minute} << 16 |
                    std::uint64_t{r.second} << 8 | r.status};
    }
    LogRecord record() const
    {
        LogRecord r;
        r.userId = high >> 16;
        r.terminal = static_cast<std::uint8_t>(high >> 8);
        r.group = static_cast<std::uint8_t>(high);
        r.year = static_cast<std::uint16_t>(low >> 48);
        r.month = static_cast<std::uint8_t>(low >> 40);
        r.day = static_cast<std::uint8_t>(low >> 32);
        r.hour = static_cast<std::uint8_t>(low >> 24);
        r.minute = static_cast<std::uint8_t>(low >> 16);
        r.second = static_cast<std::uint8_t>(low >> 8);
        r.status = static_cast<std::uint8_t>(low);
        return r;
    }
    auto operator<=>(const SortKey&) const = default;
};

// The six texts of a punch, decoded into fixed buffers.
class PunchTexts final
{
public:
    PunchTexts() = default;
    explicit PunchTexts(const LogRecord& r) { set(r); }
    void set(const LogRecord& r)
    {
        m_length = {};
        put(0, r.userId, 1);
        put(1, r.terminal, 1);
        put(2, r.group, 1);
        put(3, r.year, 1, '/');
        put(3, r.month, 2, '/');
        put(3, r.day, 2);
        put(4, r.hour, 2, ':');
        put(4, r.minute, 2, ':');
        put(4, r.second, 2);
        put(5, r.status, 1);
    }
    const char* text(int i) const { return m_text[static_cast<size_t>(i)].data(); }
    int length(int i) const { return m_length[static_cast<size_t>(i)]; }

private:
    // Appends value with at least minDigits digits, then the separator if one is given.
    void put(int i, std::uint64_t value, int minDigits, char separator = 0)
    {
        auto& buffer = m_text[static_cast<size_t>(i)];
        int& length = m_length[static_cast<size_t>(i)];
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        for (int pad = minDigits - static_cast<int>(end - digits); pad > 0; --pad)
            buffer[static_cast<size_t>(length++)] = '0';
        for (const char* p = digits; p != end; ++p)
            buffer[static_cast<size_t>(length++)] = *p;
        if (separator)
            buffer[static_cast<size_t>(length++)] = separator;
    }

    std::array<std::array<char, 24>, 6> m_text{};
    std::array<int, 6> m_length{};
};

class Statement final
{
public:
    Statement(sqlite3* db, const QByteArray& sql)
    {
        if (sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &m_statement, nullptr) !=
            SQLITE_OK)
            m_statement = nullptr;
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool isValid() const { return m_statement != nullptr; }

    // Binds the punch and steps once: SQLITE_ROW or SQLITE_DONE on success.
    int run(const PunchTexts& punch) { return run(&punch, 1); }
    // Binds the punches one after the other, as many as the statement has rows, and steps once.
    // The texts are read in place: they stay as they are until the statement is run again.
    int run(const PunchTexts* punches, int count)
    {
        sqlite3_reset(m_statement);
        for (int p = 0; p < count; ++p) {
            for (int i = 0; i < 6; ++i)
                sqlite3_bind_text(m_statement, p * 6 + i + 1, punches[p].text(i), punches[p].length(i),
                                  SQLITE_STATIC);
        }
        return sqlite3_step(m_statement);
    }
    int step() { return sqlite3_step(m_statement); }
    qint64 column(int i) const { return sqlite3_column_int64(m_statement, i); }
    void reset() { sqlite3_reset(m_statement); }

private:
    sqlite3_stmt* m_statement = nullptr;
};

QString lastError(sqlite3* db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

bool exec(sqlite3* db, const QByteArray& sql)
{
    return sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Undoes the transaction unless it was committed.
class Transaction final
{
public:
    explicit Transaction(sqlite3* db) : m_db(db) { m_open = exec(db, "BEGIN IMMEDIATE"); }
    ~Transaction()
    {
        if (m_open)
            exec(m_db, "ROLLBACK");
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    bool isOpen() const { return m_open; }
    bool commit()
    {
        m_open = !exec(m_db, "COMMIT");
        return !m_open;
    }

private:
    sqlite3* m_db;
    bool m_open = false;
};

// Reads within one transaction from construction to destruction.
class ReadTransaction final
{
public:
    explicit ReadTransaction(sqlite3* db) : m_db(db) { m_open = exec(db, "BEGIN"); }
    ~ReadTransaction()
    {
        if (m_open)
            exec(m_db, "COMMIT");
    }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    sqlite3* m_db;
    bool m_open = false;
};

// Sets the connection's page cache for the lifetime of the object, then restores it, so that
// the punch index stays in memory while it grows.
class CacheSize final
{
public:
    CacheSize(sqlite3* db, int kib) : m_db(db)
    {
        m_previous = readCacheSize(db);
        exec(db, QByteArray("PRAGMA cache_size = -") + QByteArray::number(kib));
    }
    ~CacheSize() { exec(m_db, QByteArray("PRAGMA cache_size = ") + QByteArray::number(m_previous)); }
    CacheSize(const CacheSize&) = delete;
    CacheSize& operator=(const CacheSize&) = delete;

private:
    static qint64 readCacheSize(sqlite3* db)
    {
        sqlite3_stmt* s = nullptr;
        qint64 value = -2000;
        if (sqlite3_prepare_v2(db, "PRAGMA cache_size", -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            value = sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
        return value;
    }

    sqlite3* m_db;
    qint64 m_previous = -2000;
};

sqlite3* handleOf(const QSqlDatabase& db)
{
    if (!db.isValid() || !db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

QString unchanged()
{
    return QStringLiteral(" The local database was left as it was.");
}

// Calls a window's yield at most every few milliseconds, so it handles its events meanwhile.
class Yielder final
{
public:
    explicit Yielder(const std::function<void()>& yield) : m_yield(yield) {}
    void operator()()
    {
        if (!m_yield || (m_clock.isValid() && m_clock.elapsed() < 10))
            return;
        m_yield();
        m_clock.start();
    }

private:
    const std::function<void()>& m_yield;
    QElapsedTimer m_clock;
};

// The whole records of a log in SortKey order: read in runs, each sorted on its own, and merged
// as they are taken, so no second copy of them is needed.
class SortedRecords final
{
public:
    // Reads total records; false when the device ends before (readCount() tells where).
    bool read(QIODevice& device, qint64 total, Yielder& yield)
    {
        m_keys.reserve(static_cast<size_t>(total));
        size_t runStart = 0;
        while (readCount() < total) {
            const qint64 batch = std::min(RecordsPerRead, total - readCount());
            const QByteArray chunk = device.read(batch * LogRecord::Size);
            if (chunk.size() != batch * LogRecord::Size)
                return false;
            for (qint64 k = 0; k < batch; ++k)
                m_keys.push_back(SortKey::of(chunk.constData() + k * LogRecord::Size));
            if (m_keys.size() - runStart == RecordsPerRun || readCount() == total) {
                std::sort(m_keys.begin() + static_cast<qsizetype>(runStart), m_keys.end());
                m_runs.push_back({runStart, m_keys.size()});
                runStart = m_keys.size();
                yield();
            }
        }
        std::make_heap(m_runs.begin(), m_runs.end(), Later{m_keys});
        return true;
    }
    qint64 readCount() const { return static_cast<qint64>(m_keys.size()); }
    // The next key in order, repeats included; nullopt after the last.
    std::optional<SortKey> next()
    {
        if (m_runs.empty())
            return std::nullopt;
        std::pop_heap(m_runs.begin(), m_runs.end(), Later{m_keys});
        Run& run = m_runs.back();
        const SortKey key = m_keys[run.at++];
        if (run.at < run.end)
            std::push_heap(m_runs.begin(), m_runs.end(), Later{m_keys});
        else
            m_runs.pop_back();
        return key;
    }

private:
    struct Run
    {
        size_t at;
        size_t end;
    };
    // Orders the runs' heap with the run of the smallest next key on top.
    struct Later
    {
        const std::vector<SortKey>& keys;
        bool operator()(const Run& a, const Run& b) const { return keys[b.at] < keys[a.at]; }
    };

    std::vector<SortKey> m_keys;
    std::vector<Run> m_runs;
};

// The number of the first record of the device that has one of the keys, or -1.
qint64 firstRecordOf(QIODevice& device, qint64 total, const std::vector<SortKey>& keys)
{
    if (!device.seek(0))
        return -1;
    for (qint64 index = 0; index < total;) {
        const qint64 batch = std::min(RecordsPerRead, total - index);
        const QByteArray chunk = device.read(batch * LogRecord::Size);
        if (chunk.size() != batch * LogRecord::Size)
            return -1;
        for (qint64 k = 0; k < batch; ++k, ++index) {
            if (std::binary_search(keys.begin(), keys.end(),
                                   SortKey::of(chunk.constData() + k * LogRecord::Size)))
                return index;
        }
    }
    return -1;
}

} // namespace

QString conversionProgressText(qint64 done, qint64 total)
{
    const double percent = total > 0 ? static_cast<double>(done) * 100.0 / static_cast<double>(total) : 100.0;
    QString text = QString::number(percent, 'g', 15);
    if (text.startsWith(QStringLiteral("0.")))
        text.remove(0, 1); // printed as ".5", without the leading zero
    return u' ' + text + QStringLiteral(" %");
}

QString partialRecordText(const ConversionResult& result)
{
    if (result.partialBytes == 0)
        return {};
    return QStringLiteral("The log ends in %1 byte%2 that make no whole punch; they were not read.")
        .arg(result.partialBytes)
        .arg(result.partialBytes == 1 ? QString() : QStringLiteral("s"));
}

QString conversionSummary(const ConversionResult& result)
{
    return QStringLiteral("Read %1 punch%2, %3 new.")
        .arg(result.read)
        .arg(result.read == 1 ? QString() : QStringLiteral("es"))
        .arg(result.added);
}

Expected<ConversionResult> convertLogToDatabase(const QString& logFile, const QSqlDatabase& db,
                                                const ConversionProgress& progress,
                                                std::optional<qint64> logBytes,
                                                const std::function<void()>& yieldToWindow)
{
    using Result = Expected<ConversionResult>;
    const QString shownPath = QDir::toNativeSeparators(logFile);
    QFile file(logFile);
    if (!file.exists())
        return Result::failure(
            QStringLiteral("The log file %1 does not exist. Download the log from the terminal first.")
                .arg(shownPath));
    if (const QString kind = notRegularFileReason(logFile); !kind.isEmpty())
        return Result::failure(
            QStringLiteral("Cannot read the log file %1: it is %2, not a log file.").arg(shownPath, kind) +
            unchanged());
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(
            QStringLiteral("Cannot read the log file %1: %2").arg(shownPath, file.errorString()));

    const qint64 fileBytes = file.size();
    if (fileBytes > Tq90Protocol::MaxLogBytes + 1)
        return Result::failure(
            QStringLiteral("The log file %1 holds %2 bytes, more than a terminal's log can "
                           "hold (%3 bytes and one extra byte): it is no downloaded log.")
                .arg(shownPath)
                .arg(fileBytes)
                .arg(Tq90Protocol::MaxLogBytes) +
            unchanged());
    if (logBytes && fileBytes != *logBytes + 1)
        return Result::failure(
            QStringLiteral("The log file %1 holds %2 bytes instead of the %3 downloaded and one extra byte: "
                           "it was not written completely.")
                .arg(shownPath)
                .arg(fileBytes)
                .arg(*logBytes) +
            unchanged());
    // The extra byte after the log is shorter than a record, so the whole records are the same
    // with it or without it; a file of whole records has lost its extra byte.
    const qint64 inLog =
        logBytes ? *logBytes : (fileBytes % LogRecord::Size == 0 ? fileBytes : fileBytes - 1);
    const qint64 total = inLog / LogRecord::Size;
    ConversionResult result;
    result.read = total;
    result.partialBytes = inLog % LogRecord::Size;
    if (total == 0) {
        if (progress)
            progress(0, 0);
        return result;
    }

    sqlite3* handle = handleOf(db);
    if (!handle)
        return Result::failure(QStringLiteral("Cannot convert the log: the local database is not open."));
    const auto failed = [&](qint64 index, const QString& why) {
        return Result::failure(QStringLiteral("Converting the log %1 failed at punch %2 of %3: %4")
                                   .arg(shownPath)
                                   .arg(index + 1)
                                   .arg(total)
                                   .arg(why) +
                               unchanged());
    };

    // the progress is shown from the start, before the first punch
    if (progress)
        progress(0, total);
    Yielder yield(yieldToWindow);
    SortedRecords records;
    if (!records.read(file, total, yield))
        return failed(records.readCount(),
                      QStringLiteral("the file could not be read to its end (%1)").arg(file.errorString()));

    const CacheSize cache(handle, ConversionCacheKiB);
    Transaction transaction(handle);
    if (!transaction.isOpen())
        return Result::failure(
            QStringLiteral("Cannot start writing to the local database: %1").arg(lastError(handle)));
    QByteArray insertMany = InsertStatement;
    for (int i = 1; i < RowsPerInsert; ++i)
        insertMany += ",(?,?,?,?,?,?)";
    Statement count(handle, CountStatement);
    Statement remove(handle, DeleteStatement);
    Statement insert(handle, InsertStatement);
    Statement insertGroup(handle, insertMany);
    Statement any(handle, "Select 1 from tblexport limit 1");
    for (const Statement* s : {&count, &remove, &insert, &insertGroup, &any}) {
        if (!s->isValid())
            return Result::failure(QStringLiteral("Cannot convert the log: %1").arg(lastError(handle)) +
                                   unchanged());
    }
    // Into an empty table no punch can be present before the run: only the log's own repeats are
    // to be left out, which sorting has put side by side.
    const int firstRow = any.step();
    if (firstRow != SQLITE_ROW && firstRow != SQLITE_DONE)
        return Result::failure(QStringLiteral("Cannot convert the log: %1").arg(lastError(handle)) +
                               unchanged());
    const bool tableWasEmpty = firstRow == SQLITE_DONE;
    any.reset();
    // A failure names the punch of the log it happened at.
    const auto failedAt = [&](const std::vector<SortKey>& failing) {
        const QString why = lastError(handle);
        return failed(std::max<qint64>(0, firstRecordOf(file, total, failing)), why);
    };

    // New punches are held and inserted several to a statement.
    std::array<PunchTexts, RowsPerInsert> held;
    std::array<SortKey, RowsPerInsert> heldKeys;
    int heldCount = 0;
    // The held punches, or the first of them the database refuses.
    const auto insertHeld = [&]() -> std::optional<SortKey> {
        if (heldCount == RowsPerInsert && insertGroup.run(held.data(), heldCount) == SQLITE_DONE) {
            heldCount = 0;
            return std::nullopt;
        }
        // one by one: the rest of a group, or a refused group, to find the punch refused
        for (int i = 0; i < heldCount; ++i) {
            if (insert.run(held[static_cast<size_t>(i)]) != SQLITE_DONE)
                return heldKeys[static_cast<size_t>(i)];
        }
        heldCount = 0;
        return std::nullopt;
    };

    int lastPercent = 0;
    qint64 done = 0;
    std::optional<SortKey> previous;
    while (const std::optional<SortKey> key = records.next()) {
        ++done;
        // a repeat of the punch before is stored once
        if (key != previous) {
            previous = key;
            const PunchTexts punch(key->record());
            qint64 present = 0;
            if (!tableWasEmpty) {
                if (count.run(punch) != SQLITE_ROW)
                    return failedAt({*key});
                present = count.column(0);
                count.reset();
            }
            if (present == 0) {
                held[static_cast<size_t>(heldCount)] = punch;
                heldKeys[static_cast<size_t>(heldCount)] = *key;
                ++result.added;
                if (++heldCount == RowsPerInsert) {
                    if (const std::optional<SortKey> refused = insertHeld())
                        return failedAt({*refused});
                }
            } else if (present > 1) {
                // a punch stored more than once by an earlier program is kept once
                if (remove.run(punch) != SQLITE_DONE || insert.run(punch) != SQLITE_DONE)
                    return failedAt({*key});
            }
        }
        const int percent = static_cast<int>(done * 100 / total);
        if (progress && (percent != lastPercent || done == total)) {
            lastPercent = percent;
            progress(done, total);
        }
        yield();
    }
    if (const std::optional<SortKey> refused = insertHeld())
        return failedAt({*refused});
    if (!transaction.commit())
        return Result::failure(
            QStringLiteral("Cannot save the converted log in the local database: %1").arg(lastError(handle)) +
            unchanged());
    return result;
}

Outcome verifyStoredLog(const QString& logFile, const QSqlDatabase& db, const QByteArray& downloaded,
                        const ConversionProgress& progress, const std::function<void()>& yieldToWindow)
{
    const QString shownPath = QDir::toNativeSeparators(logFile);
    QFile file(logFile);
    if (!file.open(QIODevice::ReadOnly))
        return Outcome::failure(
            QStringLiteral("The log file %1 cannot be read back: %2.").arg(shownPath, file.errorString()));
    const qint64 logBytes = downloaded.size();
    if (file.size() != logBytes + 1)
        return Outcome::failure(
            QStringLiteral("The log file %1 holds %2 bytes, not the %3 downloaded and one extra byte.")
                .arg(shownPath)
                .arg(file.size())
                .arg(logBytes));
    Yielder yield(yieldToWindow);
    for (qint64 offset = 0; offset < logBytes;) {
        const qint64 want = std::min(RecordsPerRead * LogRecord::Size, logBytes - offset);
        const QByteArray chunk = file.read(want);
        if (chunk.size() != want)
            return Outcome::failure(QStringLiteral("The log file %1 cannot be read back: %2.")
                                        .arg(shownPath, file.errorString()));
        if (std::memcmp(chunk.constData(), downloaded.constData() + offset, static_cast<size_t>(want)) != 0)
            return Outcome::failure(
                QStringLiteral("The log file %1 differs from the log downloaded.").arg(shownPath));
        offset += want;
        yield();
    }

    sqlite3* handle = handleOf(db);
    if (!handle)
        return Outcome::failure(QStringLiteral("The local database is not open."));
    // The punches are looked up in the index's order, which walks the index rather than jumping
    // about it; a punch missing is then named by its place in the log.
    const qint64 total = logBytes / LogRecord::Size;
    QBuffer log;
    log.setData(downloaded);
    log.open(QIODevice::ReadOnly);
    SortedRecords records;
    records.read(log, total, yield); // the bytes were all there
    // one read transaction: the database is locked for reading once, not once per punch
    const ReadTransaction reading(handle);
    Statement count(handle, CountStatement);
    if (!count.isValid())
        return Outcome::failure(
            QStringLiteral("The local database cannot be searched: %1").arg(lastError(handle)));
    std::vector<SortKey> missing; // in order
    std::optional<SortKey> previous;
    qint64 done = 0;
    int lastPercent = -1;
    while (const std::optional<SortKey> key = records.next()) {
        const int percent = static_cast<int>(++done * 100 / total);
        if (progress && (percent != lastPercent || done == total)) {
            lastPercent = percent;
            progress(done, total);
        }
        if (key == previous)
            continue;
        previous = key;
        if (count.run(PunchTexts(key->record())) != SQLITE_ROW)
            return Outcome::failure(
                QStringLiteral("The local database cannot be searched: %1").arg(lastError(handle)));
        if (count.column(0) == 0)
            missing.push_back(*key);
        count.reset();
        yield();
    }
    if (missing.empty())
        return Outcome::success();
    const qint64 first = firstRecordOf(log, total, missing);
    const LogRecord record = LogRecord::decode(downloaded.constData() + first * LogRecord::Size);
    return Outcome::failure(
        QStringLiteral("Punch %1 of %2 of the log (user %3 at %4 %5) is not in the local database.")
            .arg(first + 1)
            .arg(total)
            .arg(record.hid(), record.wDate(), record.wTime()));
}
