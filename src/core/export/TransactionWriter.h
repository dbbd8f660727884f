#pragma once

#include "core/platform/Outcome.h"

#include <QList>
#include <QSet>
#include <QSqlDatabase>
#include <QString>

#include <memory>

class TextStatement;

// Writes punches into tblTransaction, each after deleting the rows identical in terminal,
// person, stamp and direction, so a punch exported twice is stored once.
//
// A statement per punch costs a round trip to the database server each, which over a network
// caps an export at a few thousand punches a second. So where the database takes them, the
// punches go in groups: one DELETE joins the table with the group's values, then one INSERT
// writes the group; a punch repeated inside a group is written once, as deleting and inserting
// it again would leave it. Databases that refuse the grouped statements get one DELETE and one
// INSERT per punch.
//
// The DELETE also names the range of persons it covers, so that an index on HumanID serves it
// however small the table was when the server planned the statement (a server that keeps one
// plan for a prepared statement would otherwise go on scanning a table that grows under it).
// A range covers persons whose IDs are digits of one length, which sort alike as text in any
// collation and as numbers; persons of other IDs get a range of their own.
class TransactionWriter final
{
public:
    enum class Mode { Grouped, PerPunch };
    // Punches per INSERT: 2,000 values, within what database servers take in one statement.
    static constexpr int GroupSize = 500;

    TransactionWriter(QSqlDatabase target, Mode mode);
    ~TransactionWriter();
    TransactionWriter(const TransactionWriter&) = delete;
    TransactionWriter& operator=(const TransactionWriter&) = delete;

    // Adds one punch: terminal, person, stamp, "IN" or "OUT".
    Outcome add(const QString& terminal, const QString& person, const QString& stamp, const QString& status);
    // Writes the punches still held.
    Outcome flush();
    // True once a grouped statement was refused before any group was written: the caller can
    // start again per punch.
    bool groupingRefused() const { return m_groupingRefused; }

private:
    Outcome flushGrouped(qsizetype punches);
    Outcome flushPerPunch();

    QSqlDatabase m_target;
    Mode m_mode;
    QList<QString> m_values; // four per held punch
    QSet<QString> m_held;
    QList<QString> m_bound;
    std::unique_ptr<TextStatement> m_delete;
    std::unique_ptr<TextStatement> m_insert;
    std::unique_ptr<TextStatement> m_lastInsert;
    qsizetype m_lastInsertSize = 0;
    bool m_wroteGroup = false;
    bool m_groupingRefused = false;
};
