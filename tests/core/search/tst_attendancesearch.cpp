#include "core/platform/AppPaths.h"
#include "core/search/AttendanceSearch.h"
#include "core/storage/Connections.h"
#include "fixtures/TestRows.h"

#include <QTemporaryDir>

// Punches are written "person|date|time|code" (terminal 1, group 0); an empty field is null.
class TestAttendanceSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void pairing_data();
    void pairing();
    void copyKeepsEveryValueAndClimbsTheBar();
    void textsPassUnchanged();
    void incompleteRowsAreLeftOut();
    void queryValuesAndColumns();
    void failureKeepsThePreviousResult();

private:
    void addPunches(const QStringList& rows, const QString& group = u"0"_qs);
    QStringList workRows(const QString& columns = u"HID,wDate,wTime,Status"_qs);
    Expected<SearchResult> search(SearchMode mode, const SourceQuery& query = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    QSqlDatabase m_db;
    RunProgress m_progress;
};

void TestAttendanceSearch::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(openLocalDatabase(AppPaths(m_dir->path())).ok());
    m_db = Connections::get(Connections::LocalConnection);
    m_progress = RunProgress();
}

void TestAttendanceSearch::cleanup()
{
    m_db = QSqlDatabase();
    Connections::close(Connections::LocalConnection);
}

void TestAttendanceSearch::addPunches(const QStringList& rows, const QString& group)
{
    PreparedStatement insert(m_db,
                             u"insert into tblexport(HID,FID,GID,wDate,wTime,Status) values(?,?,?,?,?,?)"_qs);
    const auto value = [](const QString& s) {
        return s.isEmpty() ? QVariant() : QVariant(s);
    };
    for (const QString& row : rows) {
        const QStringList f = row.split(u'|');
        QVERIFY2(insert.exec({value(f[0]), u"1"_qs, value(group), value(f[1]), f[2], value(f[3])}),
                 qPrintable(insert.error()));
    }
}

// The work table in the order the search wrote it, each row its columns joined by '|'; null as "-".
QStringList TestAttendanceSearch::workRows(const QString& columns)
{
    QStringList rows;
    Expected<QSqlQuery> q =
        executeStatement(m_db, u"select %1 from tblExport1 order by rowid"_qs.arg(columns));
    while (q.ok() && q->next()) {
        QStringList values;
        for (qsizetype i = 0; i <= columns.count(u','); ++i)
            values << (q->isNull(int(i)) ? u"-"_qs : q->value(int(i)).toString());
        rows << values.join(u'|');
    }
    return rows;
}

Expected<SearchResult> TestAttendanceSearch::search(SearchMode mode, const SourceQuery& query)
{
    const SourceQuery byPerson{u"select * from tblExport order by HID ASC,wdate ASC,wtime ASC"_qs, {}};
    return searchPunches(query.statement.isEmpty() ? byPerson : query, mode, m_progress);
}

void TestAttendanceSearch::pairing_data()
{
    addColumns<QStringList, QString>({"source", "statuses"}); // written per source row; "-" where nothing is
    const auto day = [](const char* person, const char* date, std::initializer_list<const char*> timeCodes) {
        QStringList rows;
        for (const char* timeCode : timeCodes)
            rows << u"%1|%2|%3"_qs.arg(QLatin1String(person), QLatin1String(date), QLatin1String(timeCode));
        return rows;
    };
    addRow("worked example",
           day("7", "2008/01/05", {"08:00:00|0", "12:00:00|0", "13:00:00|0", "17:30:00|0"}) +
               day("7", "2008/01/06", {"08:05:00|2", "17:00:00|0"}) +
               day("9", "2008/01/05", {"09:00:00|1", "18:00:00|0"}),
           "1 2 1 2 2 1 1 2");
    addRow("one punch without direction", day("5", "2024/01/09", {"08:00:00|0"}), "1");
    addRow("explicit IN, then two without",
           day("5", "2024/01/09", {"08:00:00|1", "12:00:00|0", "13:00:00|0"}), "1 2 1");
    addRow("explicit codes keep the alternation",
           day("5", "2024/01/09", {"08:00:00|0", "12:00:00|2", "13:00:00|0", "14:00:00|1", "15:00:00|0"}),
           "1 2 2 1 1");
    addRow("first code 3 writes nothing, a later 3 is kept",
           day("5", "2024/01/09", {"08:00:00|3", "09:00:00|0", "10:00:00|3"}), "- - 3");
    addRow("same day of another month is another day",
           day("7", "2008/01/05", {"08:00:00|0"}) + day("7", "2008/02/05", {"08:00:00|0"}), "1 1");
    addRow("next person starts afresh on the same date",
           day("1", "2024/01/09", {"08:00:00|2"}) + day("2", "2024/01/09", {"08:00:00|0", "09:00:00|0"}),
           "2 1 2");
}

void TestAttendanceSearch::pairing()
{
    QFETCH(QStringList, source);
    QFETCH(QString, statuses);
    addPunches(source);
    const Expected<SearchResult> result = search(SearchMode::Pairing);
    QVERIFY2(result.ok(), qPrintable(result.error()));
    QStringList expected;
    const QStringList status = statuses.split(u' ');
    for (qsizetype i = 0; i < source.size(); ++i) {
        if (status[i] != u"-")
            expected << source[i].section(u'|', 0, 2) + u'|' + status[i];
    }
    QCOMPARE(workRows(), expected);
    QCOMPARE(result->written, expected.size());
}

void TestAttendanceSearch::copyKeepsEveryValueAndClimbsTheBar()
{
    QStringList rows;
    for (int i = 0; i < 250; ++i)
        rows << u"%1|2024/01/09|08:00:00|%2"_qs.arg(1000 + i).arg(i % 4);
    addPunches(rows, u"3"_qs);
    addPunches({u"1250|2024/01/09|09:00:00|1"_qs}, {}); // a null group is written as null
    QList<int> bar;
    int yields = 0;
    m_progress.setListener([&bar](int v) { bar << v; });
    m_progress.setYielder([&yields] { ++yields; });
    const Expected<SearchResult> result = search(SearchMode::Copy);
    QVERIFY2(result.ok(), qPrintable(result.error()));
    QCOMPARE(result->written, 251);
    const QStringList work = workRows(u"HID,FID,GID,wDate,wTime,Status"_qs);
    QCOMPARE(work.size(), 251);
    QCOMPARE(work[3], u"1003|1|3|2024/01/09|08:00:00|3"_qs);
    QCOMPARE(work[250], u"1250|1|-|2024/01/09|09:00:00|1"_qs);
    QCOMPARE(QList<int>({bar[0], bar[99], bar[100], bar[199], bar[250]}), QList<int>({1, 100, 1, 100, 51}));
    QVERIFY(yields >= 1);
}

void TestAttendanceSearch::textsPassUnchanged()
{
    // More rows than go into one statement: a Thai person, an empty group and a missing terminal
    // reach the work table as they are.
    QVERIFY(m_db.transaction());
    PreparedStatement insert(m_db, QStringLiteral("insert into tblexport(HID,FID,GID,wDate,wTime,Status) "
                                                  "values(?,?,?,?,?,?)"));
    for (int i = 0; i < 60; ++i)
        QVERIFY(insert.exec({u"ก๗"_qs, QVariant(), u""_qs, u"2024/01/09"_qs,
                             QStringLiteral("08:%1:00").arg(i, 2, 10, QChar(u'0')), u"0"_qs}));
    QVERIFY(m_db.commit());
    QVERIFY(search(SearchMode::Copy).ok());
    auto q =
        executeStatement(m_db,
                         QStringLiteral("select count(*), sum(HID = ?), sum(FID is null), sum(GID = ''), "
                                        "count(distinct wTime) from tblExport1"),
                         {u"ก๗"_qs});
    QVERIFY(q.ok() && q->next());
    for (int column = 0; column < 5; ++column)
        QCOMPARE(q->value(column).toInt(), 60);
}

void TestAttendanceSearch::incompleteRowsAreLeftOut()
{
    // null person, null date, null direction: none can be placed in a day
    addPunches({u"7|2008/01/05|08:00:00|0"_qs, u"|2008/01/05|09:00:00|0"_qs, u"7||10:00:00|0"_qs,
                u"7|2008/01/05|11:00:00|"_qs, u"7|2008/01/05|12:00:00|0"_qs});
    for (const SearchMode mode : {SearchMode::Copy, SearchMode::Pairing}) {
        const Expected<SearchResult> result = search(mode);
        QVERIFY2(result.ok(), qPrintable(result.error()));
        QCOMPARE(result->incomplete * 10 + result->written, 32);
    }
    QCOMPARE(workRows(), (QStringList{u"7|2008/01/05|08:00:00|1"_qs, u"7|2008/01/05|12:00:00|2"_qs}));
}

void TestAttendanceSearch::queryValuesAndColumns()
{
    addPunches({u"7|2008/01/05|08:00:00|0"_qs, u"8|2008/01/05|09:00:00|2"_qs});
    addPunches({u"7|2008/01/06|08:00:00|1"_qs}, {});
    // values are bound, a null one as null; columns are found by name in any order and case
    const Expected<SearchResult> found =
        search(SearchMode::Copy,
               {u"select status, WTIME, wdate, gid, fid, hid from tblexport where HID = ? and GID is ?"_qs,
                {u"7"_qs, QVariant()}});
    QVERIFY2(found.ok(), qPrintable(found.error()));
    QCOMPARE(workRows(u"HID,FID,GID,wDate,wTime,Status"_qs), QStringList{u"7|1|-|2008/01/06|08:00:00|1"_qs});

    const Expected<SearchResult> values =
        search(SearchMode::Copy, {u"select * from tblexport where HID = ?"_qs, {}});
    QVERIFY2(values.error().startsWith(u"The query takes 1 values, 0 were given."_qs),
             qPrintable(values.error()));
    const Expected<SearchResult> column =
        search(SearchMode::Copy, {u"select HID, FID, GID, wDate, Status from tblexport"_qs, {}});
    QVERIFY2(column.error().startsWith(u"The punch query has no column wTime."_qs),
             qPrintable(column.error()));
    const Expected<SearchResult> table = search(SearchMode::Copy, {u"select * from tblMissing"_qs, {}});
    QVERIFY2(table.error().contains(u"tblMissing"_qs), qPrintable(table.error()));
    // a failed search leaves the work table as the last good one left it
    QCOMPARE(workRows().size(), 1);
}

void TestAttendanceSearch::failureKeepsThePreviousResult()
{
    addPunches({u"7|2008/01/05|08:00:00|0"_qs, u"8|2008/01/05|08:00:00|0"_qs});
    QVERIFY(search(SearchMode::Pairing).ok());
    const QStringList before = workRows();
    // the second insert of the next search fails, as a full disk would make it
    QVERIFY(executeStatement(m_db, u"create trigger failing before insert on tblExport1 when new.HID = '9' "
                                   "begin select raise(abort, 'disk is full'); end"_qs)
                .ok());
    addPunches({u"9|2008/01/06|08:00:00|0"_qs});
    const Expected<SearchResult> result = search(SearchMode::Pairing);
    QVERIFY2(!result.ok() && result.error().contains(u"disk is full"_qs), qPrintable(result.error()));
    QCOMPARE(workRows(), before);
    // and a source without rows empties it
    QVERIFY(executeStatement(m_db, u"delete from tblexport"_qs).ok());
    QCOMPARE(search(SearchMode::Pairing)->written, 0);
    QCOMPARE(workRows(), QStringList());
}

QTEST_GUILESS_MAIN(TestAttendanceSearch)
#include "tst_attendancesearch.moc"
