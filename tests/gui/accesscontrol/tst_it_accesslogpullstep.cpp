#include "core/accesscontrol/QorClient.h"
#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "fixtures/AccessControlServer.h"
#include "fixtures/QorSimProcess.h"
#include "fixtures/TestPrompter.h"
#include "gui/accesscontrol/AccessLogPullStep.h"
#include "gui/platform/AppContext.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

// The question and the pull before an access-control export, against qor-sim and PostgreSQL.
class TestAccessLogPullStep : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void answerDecidesTheFlag_data();
    void answerDecidesTheFlag();
    void skippedFacilitiesAreNamed();
    void databaseErrorStopsTheCommand();

private:
    QStringList pending();

    AccessControlServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestPrompter> m_prompter;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<QorSimProcess> m_sim;
};

void TestAccessLogPullStep::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    const Outcome opened = openAccessControlDatabase(m_server.login(), PostgresServer::driverName());
    QVERIFY2(opened.ok(), qPrintable(opened.error()));
}

void TestAccessLogPullStep::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_prompter = std::make_unique<TestPrompter>();
    m_context = std::make_unique<AppContext>(AppContext{AppPaths(m_dir->path()), *m_prompter});
    QVERIFY(writeIniValue(QStringLiteral("text"), QStringLiteral("IPSQL"), QStringLiteral("127.0.0.1"),
                          m_context->paths.settingsFile()));
    QVERIFY(m_server.reset());
    m_sim = std::make_unique<QorSimProcess>();
    QVERIFY2(m_sim->start("facility 2\nlog 1 1024 2 1 2024/01/05 08:00:00 0\n",
                          m_server.odbcConnectionString(), m_server.postgres().processEnvironment()),
             qPrintable(m_sim->error()));
}

void TestAccessLogPullStep::answerDecidesTheFlag_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<quint32>("left");
    QTest::newRow("Yes deletes") << true << 0u;
    QTest::newRow("No keeps") << false << 1u;
}

void TestAccessLogPullStep::answerDecidesTheFlag()
{
    QFETCH(bool, yes);
    QFETCH(quint32, left);
    QVERIFY(m_server.exec(QStringLiteral("insert into FacDefinition(FacID) values (1), (2)")));
    m_prompter->queueAnswer(yes ? Prompter::Answer::Yes : Prompter::Answer::No);
    QorClient client;
    QVERIFY(askAndPullAccessLogs(*m_context, client, m_sim->port()));
    QCOMPARE(m_prompter->shown().size(), 1);
    const TestPrompter::Shown question = m_prompter->shown().first();
    QCOMPARE(question.title, QStringLiteral("จัดการข้อมูลในเครื่องสแกน"));
    QCOMPARE(question.text, QStringLiteral("ลบข้อมูลในเครื่องสแกนหลังนำเข้าข้อมูลแล้ว"));
    QCOMPARE(question.buttons, Prompter::Buttons::YesNo);
    QCOMPARE(m_server.rows(QStringLiteral("select UID from RALog")), QStringList{QStringLiteral("1024")});
    QorClient check;
    QCOMPARE(check.QorInitializeWithPassword(QStringLiteral("127.0.0.1"), m_sim->port(),
                                             QStringLiteral("tarnish")),
             0);
    QCOMPARE(check.pendingLogs(1), std::optional<quint32>(left));
}

void TestAccessLogPullStep::skippedFacilitiesAreNamed()
{
    QVERIFY(m_server.exec(QStringLiteral("insert into FacDefinition(FacID) values (1), (256)")));
    m_prompter->queueAnswer(Prompter::Answer::No);
    QorClient client;
    QVERIFY(askAndPullAccessLogs(*m_context, client, m_sim->port()));
    QCOMPARE(m_prompter->shown().size(), 2);
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Information);
    QVERIFY2(m_prompter->last().text.contains(QStringLiteral("Facility 256 was skipped")),
             qPrintable(m_prompter->last().text));
    QCOMPARE(m_server.rows(QStringLiteral("select count(*) from RALog")), QStringList{QStringLiteral("1")});
}

void TestAccessLogPullStep::databaseErrorStopsTheCommand()
{
    QVERIFY(m_server.exec(QStringLiteral("alter table FacDefinition rename to FacDefinitionGone")));
    m_prompter->queueAnswer(Prompter::Answer::Yes);
    QorClient client;
    const bool proceed = askAndPullAccessLogs(*m_context, client, m_sim->port());
    QVERIFY(m_server.exec(QStringLiteral("alter table FacDefinitionGone rename to FacDefinition")));
    QVERIFY(!proceed);
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Critical);
    QVERIFY2(m_prompter->last().text.contains(QStringLiteral("nothing was exported")),
             qPrintable(m_prompter->last().text));
}

QTEST_MAIN(TestAccessLogPullStep)
#include "tst_it_accesslogpullstep.moc"
