#include "core/terminal/LogConversion.h"

#include "core/platform/CheckedFileWriter.h"
#include "core/terminal/LogRecord.h"
#include "core/terminal/Tq90Protocol.h"

#include <QDir>
#include <QFile>
#include <QSqlDriver>

#include <sqlite3.h>

#include <array>
#include <charconv>
#include <cstring>
#include <unordered_set>

// The conversion writes through the local connection's own SQLite handle rather than through
// QSqlQuery: binding six short texts per punch as UTF-8 from the stack, without a QString and a
// QVariant for each, is what keeps a million-punch log as fast as the sqlite3 shell's import.

namespace {

constexpr qint64 RecordsPerRead = 4096;
constexpr int ConversionCacheKiB = 128 * 1024;

const char* const CountStatement = "Select count(*) from tblexport where HID = ? and FID = ? and GID = ? and "
                                   "wDate = ? and wTime = ? and Status = ?";
const char* const DeleteStatement =
    "Delete from tblexport where HID = ? and FID = ? and GID = ? and wDate = ? and "
    "wTime = ? and Status = ?";
const char* const InsertStatement =
    "Insert into tblexport(HID,FID,GID,wDate,wTime,Status) values(?,?,?,?,?,?)";

// A record's 16 bytes as two numbers; records with equal bytes decode to equal punches.
struct RecordKey
{
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    static RecordKey of(const char* p)
    {
        RecordKey k;
        std::memcpy(&k.low, p, 8);
        std::memcpy(&k.high, p + 8, 8);
        return k;
    }
    bool operator==(const RecordKey&) const = default;
};

struct RecordKeyHash
{
    size_t operator()(const RecordKey& k) const
    {
        return std::hash<std::uint64_t>()(k.low * 0x9E3779B97F4A7C15ULL ^ k.high);
    }
};

// The six texts of a punch, decoded into fixed buffers.
class PunchTexts final
{
public:
    explicit PunchTexts(const LogRecord& r)
    {
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
    Statement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            m_statement = nullptr;
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool isValid() const { return m_statement != nullptr; }

    // Binds the punch and steps once: SQLITE_ROW or SQLITE_DONE on success.
    int run(const PunchTexts& punch)
    {
        sqlite3_reset(m_statement);
        for (int i = 0; i < 6; ++i)
            sqlite3_bind_text(m_statement, i + 1, punch.text(i), punch.length(i), SQLITE_TRANSIENT);
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
                                                std::optional<qint64> logBytes)
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
    const CacheSize cache(handle, ConversionCacheKiB);
    Transaction transaction(handle);
    if (!transaction.isOpen())
        return Result::failure(
            QStringLiteral("Cannot start writing to the local database: %1").arg(lastError(handle)));
    Statement count(handle, CountStatement);
    Statement remove(handle, DeleteStatement);
    Statement insert(handle, InsertStatement);
    Statement any(handle, "Select 1 from tblexport limit 1");
    for (const Statement* s : {&count, &remove, &insert, &any}) {
        if (!s->isValid())
            return Result::failure(QStringLiteral("Cannot convert the log: %1").arg(lastError(handle)) +
                                   unchanged());
    }
    // Into an empty table no punch can be present before the run: the file's own repeats are
    // found in memory, which spares one index search per punch.
    const int firstRow = any.step();
    if (firstRow != SQLITE_ROW && firstRow != SQLITE_DONE)
        return Result::failure(QStringLiteral("Cannot convert the log: %1").arg(lastError(handle)) +
                               unchanged());
    const bool tableWasEmpty = firstRow == SQLITE_DONE;
    any.reset();

    const auto failed = [&](qint64 index, const QString& why) {
        return Result::failure(QStringLiteral("Converting the log %1 failed at punch %2 of %3: %4")
                                   .arg(shownPath)
                                   .arg(index + 1)
                                   .arg(total)
                                   .arg(why) +
                               unchanged());
    };
    std::unordered_set<RecordKey, RecordKeyHash> seen;
    if (tableWasEmpty)
        seen.reserve(static_cast<size_t>(total));

    // the progress is shown from the start, before the first punch
    int lastPercent = 0;
    if (progress)
        progress(0, total);
    const auto reportProgress = [&](qint64 i) {
        if (!progress)
            return;
        const int percent = static_cast<int>((i + 1) * 100 / total);
        if (percent != lastPercent || i + 1 == total) {
            lastPercent = percent;
            progress(i + 1, total);
        }
    };
    qint64 index = 0;
    while (index < total) {
        const qint64 batch = std::min(RecordsPerRead, total - index);
        const QByteArray chunk = file.read(batch * LogRecord::Size);
        if (chunk.size() != batch * LogRecord::Size)
            return failed(
                index, QStringLiteral("the file could not be read to its end (%1)").arg(file.errorString()));
        for (qint64 k = 0; k < batch; ++k, ++index) {
            const char* raw = chunk.constData() + k * LogRecord::Size;
            if (tableWasEmpty && !seen.insert(RecordKey::of(raw)).second) {
                reportProgress(index);
                continue;
            }
            const PunchTexts punch(LogRecord::decode(raw));
            qint64 present = 0;
            if (!tableWasEmpty) {
                if (count.run(punch) != SQLITE_ROW)
                    return failed(index, lastError(handle));
                present = count.column(0);
                count.reset();
            }
            if (present == 0) {
                if (insert.run(punch) != SQLITE_DONE)
                    return failed(index, lastError(handle));
                ++result.added;
            } else if (present > 1) {
                // a punch stored more than once by an earlier program is kept once
                if (remove.run(punch) != SQLITE_DONE || insert.run(punch) != SQLITE_DONE)
                    return failed(index, lastError(handle));
            }
            reportProgress(index);
        }
    }
    if (!transaction.commit())
        return Result::failure(
            QStringLiteral("Cannot save the converted log in the local database: %1").arg(lastError(handle)) +
            unchanged());
    return result;
}

Outcome verifyStoredLog(const QString& logFile, const QSqlDatabase& db, const QByteArray& downloaded)
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
    sqlite3* handle = handleOf(db);
    if (!handle)
        return Outcome::failure(QStringLiteral("The local database is not open."));
    // one read transaction: the database is locked for reading once, not once per punch
    const ReadTransaction reading(handle);
    Statement count(handle, CountStatement);
    if (!count.isValid())
        return Outcome::failure(
            QStringLiteral("The local database cannot be searched: %1").arg(lastError(handle)));

    const qint64 total = logBytes / LogRecord::Size;
    qint64 offset = 0;
    while (offset < logBytes) {
        const qint64 want = std::min(RecordsPerRead * LogRecord::Size, logBytes - offset);
        const QByteArray chunk = file.read(want);
        if (chunk.size() != want)
            return Outcome::failure(QStringLiteral("The log file %1 cannot be read back: %2.")
                                        .arg(shownPath, file.errorString()));
        if (std::memcmp(chunk.constData(), downloaded.constData() + offset, static_cast<size_t>(want)) != 0)
            return Outcome::failure(
                QStringLiteral("The log file %1 differs from the log downloaded.").arg(shownPath));
        for (qint64 at = 0; at + LogRecord::Size <= want; at += LogRecord::Size) {
            const LogRecord record = LogRecord::decode(chunk.constData() + at);
            if (count.run(PunchTexts(record)) != SQLITE_ROW)
                return Outcome::failure(
                    QStringLiteral("The local database cannot be searched: %1").arg(lastError(handle)));
            const qint64 present = count.column(0);
            count.reset();
            if (present == 0)
                return Outcome::failure(
                    QStringLiteral(
                        "Punch %1 of %2 of the log (user %3 at %4 %5) is not in the local database.")
                        .arg((offset + at) / LogRecord::Size + 1)
                        .arg(total)
                        .arg(record.hid(), record.wDate(), record.wTime()));
        }
        offset += want;
    }
    return Outcome::success();
}
