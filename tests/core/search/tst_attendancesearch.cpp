#include "core/platform/AppPaths.h"
#include "core/search/AttendanceSearch.h"
#include "core/storage/Connections.h"
#include "fixtures/TestRows.h"

#include <QTemporaryDir>

class TestAttendanceSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(openLocalDatabase(AppPaths(m_dir->path())).ok());
        m_progress = RunProgress();
    }
    void cleanup() { Connections::close(Connections::LocalConnection); }
    void search_data()
    {
        // punches (terminal 1, group 0, null when empty) and work rows "person|day|time|code"
        addColumns<bool, QString, QString, int>({"pairing", "punches", "work", "incomplete"});
        addRow("worked example", true,
               "7|5|08|0 7|5|12|0 7|5|13|0 7|5|17|0 7|6|08|2 7|6|17|0 9|5|09|1 9|5|18|0",
               "7|5|08|1 7|5|12|2 7|5|13|1 7|5|17|2 7|6|08|2 7|6|17|1 9|5|09|1 9|5|18|2", 0);
        addRow("explicit IN, then two without", true, "5|9|08|1 5|9|12|0 5|9|13|0",
               "5|9|08|1 5|9|12|2 5|9|13|1", 0);
        addRow("explicit codes keep the alternation", true, "5|9|08|0 5|9|12|2 5|9|13|0 5|9|14|1 5|9|15|0",
               "5|9|08|1 5|9|12|2 5|9|13|2 5|9|14|1 5|9|15|1", 0);
        addRow("first code 3 writes nothing, a later 3 is kept", true, "5|9|08|3 5|9|09|0 5|9|10|3",
               "5|9|10|3", 0);
        addRow("next person starts afresh", true, "1|9|08|2 2|9|08|0 2|9|09|0", "1|9|08|2 2|9|08|1 2|9|09|2",
               0);
        addRow("null person, day or code, paired", true, "7|5|08|0 |5|09|0 7||10|0 7|5|11| 7|5|12|0",
               "7|5|08|1 7|5|12|2", 3);
    }
    void search()
    {
        const auto [pairing, punches] = fetchColumns<bool, QString>("pairing", "punches");
        PreparedStatement insert(db(), u"insert into tblexport values(?,'1','0',?,?,?)"_qs);
        for (const QString& punch : punches.split(u' ')) {
            QVariantList values;
            for (const QString& v : punch.split(u'|'))
                values << (v.isEmpty() ? QVariant() : QVariant(v));
            QVERIFY(insert.exec(values));
        }
        const Expected<SearchResult> result =
            searchPunches(byPerson(), pairing ? SearchMode::Pairing : SearchMode::Copy, m_progress);
        QVERIFY2(result.ok(), qPrintable(result.error()));
        const QStringList work = workRows(u"HID||'|'||wDate||'|'||wTime||'|'||Status"_qs);
        QTEST(work.join(u' '), "work");
        QCOMPARE(result->written, work.size());
        QTEST(int(result->incomplete), "incomplete");
    }
    void valuesReachTheWorkTableAsTheyAre()
    {
        QVERIFY(db().transaction());
        PreparedStatement insert(db(), u"insert into tblexport values(?,?,?,?,?,?)"_qs);
        for (int i = 0; i < 251; ++i)
            QVERIFY(insert.exec(
                {i % 2 ? u"ก๗"_qs : QString::number(i), i % 3 ? QVariant(u"1"_qs) : QVariant(),
                 i % 5 == 0 ? QVariant() : QVariant(i % 5 == 1 ? u""_qs : u"3"_qs), u"2024/01/09"_qs,
                 u"08:%1:%2"_qs.arg(i / 60, 2, 10, QChar(u'0')).arg(i % 60, 2, 10, QChar(u'0')),
                 QString::number(i % 4)}));
        QVERIFY(db().commit());
        QVERIFY(
            searchPunches({u"select * from tblexport order by wTime"_qs, {}}, SearchMode::Copy, m_progress)
                .ok());
        const QString columns = u"coalesce(HID,'-')||coalesce(FID,'-')||coalesce(GID,'-')||wTime||Status"_qs;
        const QStringList work = workRows(columns);
        QCOMPARE(
            QStringList({work[0], work[1], work[3], work[250]}),
            QStringList({u"0--08:00:000"_qs, u"ก๗108:00:011"_qs, u"ก๗-308:00:033"_qs, u"2501-08:04:102"_qs}));
    }
    void queriesAndFailures()
    {
        QVERIFY(executeStatement(
                    db(),
                    u"insert into tblexport values('7','1',null,'2008/01/06','08:00:00','1'), "
                    "('7','1','0','2008/01/05','08:00:00','0'), ('8','1','0','2008/01/05','09:00:00','2')"_qs)
                    .ok());
        // values are bound, a null one as null; columns are found by name in any order and case
        const Expected<SearchResult> found = searchPunches(
            {u"select status, WTIME, wdate, gid, fid, hid from tblexport where HID = ? and GID is ?"_qs,
             {u"7"_qs, QVariant()}},
            SearchMode::Copy, m_progress);
        QVERIFY2(found.ok(), qPrintable(found.error()));
        QCOMPARE(workRows(u"HID||FID||coalesce(GID,'-')||wDate||wTime||Status"_qs),
                 QStringList{u"71-2008/01/0608:00:001"_qs});
        const std::pair<SourceQuery, QString> failing[] = {
            {{u"select * from tblexport where HID = ?"_qs, {}},
             u"The query takes 1 values, 0 were given."_qs},
            {{u"select HID, FID, GID, wDate, Status from tblexport"_qs, {}},
             u"The punch query has no column wTime."_qs},
            {{u"select * from tblMissing"_qs, {}}, u"tblMissing"_qs}};
        for (const auto& [query, error] : failing) {
            const Expected<SearchResult> result = searchPunches(query, SearchMode::Copy, m_progress);
            QVERIFY2(!result.ok() && result.error().contains(error), qPrintable(result.error()));
        }
        // a failed search leaves the work table as the last good one left it; one without rows empties it
        QVERIFY(executeStatement(db(),
                                 u"create trigger failing before insert on tblExport1 when new.HID = '8' "
                                 "begin select raise(abort, 'disk is full'); end"_qs)
                    .ok());
        const Expected<SearchResult> full = searchPunches(byPerson(), SearchMode::Pairing, m_progress);
        QVERIFY2(!full.ok() && full.error().contains(u"disk is full"_qs), qPrintable(full.error()));
        QCOMPARE(workRows(u"HID"_qs), QStringList{u"7"_qs});
        QVERIFY(executeStatement(db(), u"delete from tblexport"_qs).ok());
        QCOMPARE(searchPunches(byPerson(), SearchMode::Pairing, m_progress)->written, 0);
        QCOMPARE(workRows(u"HID"_qs), QStringList());
    }

private:
    static SourceQuery byPerson()
    {
        return {u"select * from tblExport order by HID ASC,wdate ASC,wtime ASC"_qs, {}};
    }
    QSqlDatabase db() const { return Connections::get(Connections::LocalConnection); }
    QStringList workRows(const QString& expression)
    {
        QStringList rows;
        Expected<QSqlQuery> q =
            executeStatement(db(), u"select %1 from tblExport1 order by rowid"_qs.arg(expression));
        while (q.ok() && q->next())
            rows << q->value(0).toString();
        return q.ok() ? rows : QStringList{q.error()};
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    RunProgress m_progress;
};

QTEST_GUILESS_MAIN(TestAttendanceSearch)
#include "tst_attendancesearch.moc"
