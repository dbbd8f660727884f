#pragma once

#include "core/platform/Outcome.h"

#include <QList>
#include <QSet>
#include <QSqlDatabase>
#include <QString>

#include <memory>

// Writes punches into tblTransaction, each after deleting the row identical in terminal,
// person, stamp and direction, so a punch exported twice is stored once.
//
// A statement per punch costs a round trip to the database server each, which over a network
// caps an export at a few thousand punches a second. So where the database takes a multi-row
// VALUES list, the punches go in groups: one DELETE for the group's punches, then one INSERT of
// them; a punch repeated inside a group is written once, as deleting and inserting it again
// would leave it. Databases that refuse the grouped statements get one DELETE and one INSERT
// per punch.
class TransactionWriter final
{
public:
    enum class Mode { Grouped, PerPunch };
    static constexpr int GroupSize = 100;

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
    class Statements;
    Statements* statementsFor(int punches);

    QSqlDatabase m_target;
    Mode m_mode;
    QList<QString> m_values; // four per held punch
    QSet<QString> m_held;
    std::unique_ptr<Statements> m_full;
    std::unique_ptr<Statements> m_partial;
    bool m_wroteGroup = false;
    bool m_groupingRefused = false;
};
