#pragma once

#include "core/platform/Outcome.h"
#include "core/search/PunchRecord.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <memory>

// A statement with a '?' for every value and the values to bind, in order.
struct SourceQuery
{
    QString statement;
    QVariantList values;
};

// A source row as the attendance search sees it: the work row it becomes, but for the status,
// which the search sets, and the source's own direction code.
struct SourceRow
{
    // The source left the person, the date or the direction null: the row cannot be placed.
    bool incomplete = false;
    // hid the person, fid the terminal, gid the group, wDate "yyyy/MM/dd" (also the row's day
    // key), wTime "HH:mm:ss"
    PunchRecord punch;
    QString code; // direction code as decimal text
};

// Where the attendance search reads its punches from, one row at a time in the source's order.
class PunchSource
{
public:
    virtual ~PunchSource() = default;
    // Runs the source's query.
    virtual Outcome open() = 0;
    // Fills row with the next row; Expected false at the end.
    virtual Expected<bool> next(SourceRow& row) = 0;
};

// Punches of the local table tblexport: HID, FID, GID, wDate, wTime and Status as stored.
class LocalPunchSource final : public PunchSource
{
public:
    LocalPunchSource(QSqlDatabase db, SourceQuery query);
    ~LocalPunchSource() override;
    Outcome open() override;
    Expected<bool> next(SourceRow& row) override;

private:
    class Reader
    {
    public:
        virtual ~Reader() = default;
        virtual Outcome open() = 0;
        virtual Expected<bool> next(SourceRow& row) = 0;
    };
    class QtReader;
    class SqliteReader;
    static Outcome missingColumn(int column, const QString& statement);

    QSqlDatabase m_db;
    SourceQuery m_query;
    std::unique_ptr<Reader> m_reader;
};
