#include "core/platform/AppPaths.h"
#include "core/search/AttendanceSearch.h"
#include "core/storage/Connections.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// Rows are written "person|date|time|code"; an empty field stands for a null value.
class TestAttendanceSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void pairing_data();
    void pairing();
    void copyKeepsCodes();
    void copyProgressWrapsAt100();
    void textsPassUnchanged();
    void emptySourceEmptiesWorkTable();
    void incompleteRowsAreCounted();
    void noRowLimit();
    void failureKeepsPreviousResult();
    void badQueryFails();

private:
    void addPunches(const QStringList& rows);
    QStringList workRows();
    Expected<SearchResult> search(SearchMode mode);

    std::unique_ptr<QTemporaryDir> m_dir;
    QSqlDatabase m_db;
    RunProgress m_progress;
};

template <typename... Texts> QStringList L(Texts... texts)
{
    return {QString::fromUtf8(texts)...};
}

const SourceQuery PairingQuery{QStringLiteral("select * from tblExport order by HID ASC,wdate ASC,wtime ASC"),
                               {}};

void TestAttendanceSearch::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const Outcome opened = openLocalDatabase(AppPaths(m_dir->path()));
    QVERIFY2(opened.ok(), qPrintable(opened.error()));
    m_db = Connections::get(Connections::LocalConnection);
    m_progress = RunProgress();
}

void TestAttendanceSearch::cleanup()
{
    m_db = QSqlDatabase();
    Connections::close(Connections::LocalConnection);
}

void TestAttendanceSearch::addPunches(const QStringList& rows)
{
    QVERIFY(m_db.transaction());
    PreparedStatement insert(m_db, QStringLiteral("insert into tblexport(HID,FID,GID,wDate,wTime,Status) "
                                                  "values(?,?,?,?,?,?)"));
    for (const QString& row : rows) {
        const QStringList f = row.split(u'|');
        const auto value = [](const QString& s) {
            return s.isEmpty() ? QVariant() : QVariant(s);
        };
        QVERIFY2(insert.exec({value(f[0]), u"1"_qs, u"0"_qs, value(f[1]), f[2], value(f[3])}),
                 qPrintable(insert.error()));
    }
    QVERIFY(m_db.commit());
}

// The work table in the order the search wrote it: "person|date|time|status".
QStringList TestAttendanceSearch::workRows()
{
    QStringList rows;
    auto q = executeStatement(m_db,
                              QStringLiteral("select HID,wDate,wTime,Status from tblExport1 order by rowid"));
    while (q.ok() && q->next())
        rows << QStringLiteral("%1|%2|%3|%4")
                    .arg(q->value(0).toString(), q->value(1).toString(), q->value(2).toString(),
                         q->value(3).toString());
    return rows;
}

Expected<SearchResult> TestAttendanceSearch::search(SearchMode mode)
{
    return searchPunches(mode == SearchMode::Pairing
                             ? PairingQuery
                             : SourceQuery{QStringLiteral("select * from tblExport order by HID"), {}},
                         mode, m_progress);
}

void TestAttendanceSearch::pairing_data()
{
    QTest::addColumn<QStringList>("source");
    // Status written per source row, in order; "-" where the row writes nothing.
    QTest::addColumn<QStringList>("statuses");

    QTest::newRow("worked example") << L("7|2008/01/05|08:00:00|0", "7|2008/01/05|12:00:00|0",
                                         "7|2008/01/05|13:00:00|0", "7|2008/01/05|17:30:00|0",
                                         "7|2008/01/06|08:05:00|2", "7|2008/01/06|17:00:00|0",
                                         "9|2008/01/05|09:00:00|1", "9|2008/01/05|18:00:00|0")
                                    << L("1", "2", "1", "2", "2", "1", "1", "2");
    QTest::newRow("one punch without direction") << L("5|2024/01/09|08:00:00|0") << L("1");
    QTest::newRow("one punch IN") << L("5|2024/01/09|08:00:00|1") << L("1");
    QTest::newRow("one punch OUT") << L("5|2024/01/09|17:00:00|2") << L("2");
    QTest::newRow("explicit IN then two without")
        << L("5|2024/01/09|08:00:00|1", "5|2024/01/09|12:00:00|0", "5|2024/01/09|13:00:00|0")
        << L("1", "2", "1");
    QTest::newRow("explicit OUT then one without")
        << L("5|2024/01/09|08:00:00|2", "5|2024/01/09|12:00:00|0") << L("2", "1");
    QTest::newRow("explicit code inside a day keeps the alternation")
        << L("5|2024/01/09|08:00:00|0", "5|2024/01/09|12:00:00|2", "5|2024/01/09|13:00:00|0",
             "5|2024/01/09|14:00:00|1", "5|2024/01/09|15:00:00|0")
        << L("1", "2", "2", "1", "1");
    QTest::newRow("first punch code 3 writes nothing, later code 3 kept")
        << L("5|2024/01/09|08:00:00|3", "5|2024/01/09|09:00:00|0", "5|2024/01/09|10:00:00|3")
        << L("-", "-", "3");
    QTest::newRow("code 3 after a direction")
        << L("5|2024/01/09|08:00:00|0", "5|2024/01/09|09:00:00|3", "5|2024/01/09|10:00:00|0")
        << L("1", "3", "2");
    QTest::newRow("same day of month in another month is another day")
        << L("7|2008/01/05|08:00:00|0", "7|2008/02/05|08:00:00|0") << L("1", "1");
    QTest::newRow("next person starts afresh on the same date")
        << L("1|2024/01/09|08:00:00|2", "2|2024/01/09|08:00:00|0", "2|2024/01/09|09:00:00|0")
        << L("2", "1", "2");
}

void TestAttendanceSearch::pairing()
{
    QFETCH(QStringList, source);
    QFETCH(QStringList, statuses);
    addPunches(source);
    const Expected<SearchResult> result = search(SearchMode::Pairing);
    QVERIFY2(result.ok(), qPrintable(result.error()));
    QStringList expected;
    for (qsizetype i = 0; i < source.size(); ++i) {
        if (statuses[i] != u"-")
            expected << source[i].section(u'|', 0, 2) + u'|' + statuses[i];
    }
    QCOMPARE(workRows(), expected);
    QCOMPARE(result->written, expected.size());
    QCOMPARE(result->incomplete, 0);
}

void TestAttendanceSearch::copyKeepsCodes()
{
    addPunches(L("7|2008/01/05|08:00:00|3", "7|2008/01/05|09:00:00|0", "8|2008/01/05|10:00:00|2"));
    const Expected<SearchResult> result = search(SearchMode::Copy);
    QVERIFY2(result.ok(), qPrintable(result.error()));
    QCOMPARE(workRows(),
             (L("7|2008/01/05|08:00:00|3", "7|2008/01/05|09:00:00|0", "8|2008/01/05|10:00:00|2")));
    auto q = executeStatement(m_db, QStringLiteral("select FID, GID from tblExport1"));
    QVERIFY(q.ok() && q->next());
    QCOMPARE(q->value(0).toString(), u"1"_qs);
    QCOMPARE(q->value(1).toString(), u"0"_qs);
}

void TestAttendanceSearch::copyProgressWrapsAt100()
{
    QStringList rows;
    for (int i = 0; i < 250; ++i)
        rows << QStringLiteral("%1|2024/01/09|08:00:00|0").arg(1000 + i);
    addPunches(rows);
    QList<int> values;
    int yields = 0;
    m_progress.setListener([&values](int v) { values << v; });
    m_progress.setYielder([&yields] { ++yields; });
    QVERIFY(search(SearchMode::Copy).ok());
    QCOMPARE(values.size(), 250);
    QCOMPARE(values[0], 1);
    QCOMPARE(values[99], 100);
    QCOMPARE(values[100], 1);
    QCOMPARE(values[199], 100);
    QCOMPARE(values.last(), 50);
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

void TestAttendanceSearch::emptySourceEmptiesWorkTable()
{
    addPunches(L("7|2008/01/05|08:00:00|0"));
    QVERIFY(search(SearchMode::Pairing).ok());
    QCOMPARE(workRows().size(), 1);
    QVERIFY(executeStatement(m_db, QStringLiteral("delete from tblexport")).ok());
    const Expected<SearchResult> result = search(SearchMode::Pairing);
    QVERIFY(result.ok());
    QCOMPARE(result->written, 0);
    QCOMPARE(workRows(), QStringList());
}

void TestAttendanceSearch::incompleteRowsAreCounted()
{
    // Null person, null date, null direction: none can be placed in a day.
    addPunches(L("7|2008/01/05|08:00:00|0", "|2008/01/05|09:00:00|0", "7||10:00:00|0",
                 "7|2008/01/05|11:00:00|", "7|2008/01/05|12:00:00|0"));
    for (const SearchMode mode : {SearchMode::Pairing, SearchMode::Copy}) {
        const Expected<SearchResult> result = search(mode);
        QVERIFY2(result.ok(), qPrintable(result.error()));
        QCOMPARE(result->incomplete, 3);
        QCOMPARE(result->written, 2);
    }
    QCOMPARE(workRows(), (L("7|2008/01/05|08:00:00|0", "7|2008/01/05|12:00:00|0")));
    QVERIFY(search(SearchMode::Pairing).ok());
    QCOMPARE(workRows(), (L("7|2008/01/05|08:00:00|1", "7|2008/01/05|12:00:00|2")));
}

void TestAttendanceSearch::noRowLimit()
{
    QStringList rows;
    for (int i = 0; i < 40000; ++i)
        rows << QStringLiteral("%1|2024/01/%2|08:00:00|0").arg(i / 20).arg(1 + i % 20, 2, 10, QChar(u'0'));
    addPunches(rows);
    const Expected<SearchResult> result = search(SearchMode::Pairing);
    QVERIFY2(result.ok(), qPrintable(result.error()));
    QCOMPARE(result->written, 40000);
}

void TestAttendanceSearch::failureKeepsPreviousResult()
{
    addPunches(L("7|2008/01/05|08:00:00|0", "8|2008/01/05|08:00:00|0"));
    QVERIFY(search(SearchMode::Pairing).ok());
    const QStringList before = workRows();
    QCOMPARE(before.size(), 2);
    // The second insert of the next search fails, as a full disk would make it.
    QVERIFY(
        executeStatement(m_db, QStringLiteral("create trigger failing before insert on tblExport1 when "
                                              "new.HID = '9' begin select raise(abort, 'disk is full'); end"))
            .ok());
    addPunches(L("9|2008/01/06|08:00:00|0"));
    const Expected<SearchResult> result = search(SearchMode::Pairing);
    QVERIFY(!result.ok());
    QVERIFY2(result.error().contains(u"disk is full"_qs), qPrintable(result.error()));
    QCOMPARE(workRows(), before);
}

void TestAttendanceSearch::badQueryFails()
{
    const Expected<SearchResult> result = searchPunches(
        SourceQuery{QStringLiteral("select * from tblMissing"), {}}, SearchMode::Copy, m_progress);
    QVERIFY(!result.ok());
    QVERIFY2(result.error().contains(u"tblMissing"_qs), qPrintable(result.error()));
}

QTEST_GUILESS_MAIN(TestAttendanceSearch)
#include "tst_attendancesearch.moc"
