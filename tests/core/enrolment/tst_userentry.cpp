#include "core/enrolment/UserEntry.h"

#include <QTest>

class TestUserEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checks_data();
    void checks();
    void accepted_data();
    void accepted();
    void verifyModeLeavesLevel();
    void refusalLeavesRecord();
    void fingerNames();
};

void TestUserEntry::checks_data()
{
    QTest::addColumn<QString>("userId");
    QTest::addColumn<QString>("groupId");
    QTest::addColumn<int>("finger");
    QTest::addColumn<QString>("message");

    const QString emptyUser = QStringLiteral("User ID could not be empty!");
    const QString zeroUser = QStringLiteral("User ID could not be 0!");
    const QString longUser = QStringLiteral("The range of User ID could be 1-999999999999!");
    const QString emptyGroup = QStringLiteral("Group ID could not be empty!");
    const QString groupRange = QStringLiteral("Group ID should be in range of 0-99!");
    const QString noFinger = QStringLiteral("Finger ID could not be empty!");

    QTest::newRow("empty user") << ""
                                << "1" << 0 << emptyUser;
    QTest::newRow("blank user") << "   "
                                << "1" << 0 << emptyUser;
    QTest::newRow("user 0") << "0"
                            << "1" << 0 << zeroUser;
    QTest::newRow("user 0 with blanks") << " 0 "
                                        << "1" << 0 << zeroUser;
    QTest::newRow("13 characters") << "1234567890123"
                                   << "1" << 0 << longUser;
    QTest::newRow("13 after trimming still") << " 1234567890123 "
                                             << "1" << 0 << longUser;
    QTest::newRow("user before group") << ""
                                       << "" << -1 << emptyUser;
    QTest::newRow("empty group") << "5"
                                 << "" << 0 << emptyGroup;
    QTest::newRow("blank group") << "5"
                                 << "  " << 0 << emptyGroup;
    QTest::newRow("group 100") << "5"
                               << "100" << 0 << groupRange;
    QTest::newRow("group 255") << "5"
                               << "255" << 0 << groupRange;
    QTest::newRow("group 256") << "5"
                               << "256" << 0 << groupRange;
    QTest::newRow("group negative") << "5"
                                    << "-1" << 0 << groupRange;
    QTest::newRow("group letters") << "5"
                                   << "A" << 0 << groupRange;
    QTest::newRow("group decimal") << "5"
                                   << "1.5" << 0 << groupRange;
    QTest::newRow("group with sign") << "5"
                                     << "+5" << 0 << groupRange;
    QTest::newRow("group digits then letters") << "5"
                                               << "5x" << 0 << groupRange;
    QTest::newRow("group Thai digits") << "5" << QStringLiteral("๕") << 0 << groupRange;
    QTest::newRow("group huge") << "5"
                                << "99999999999999999999999" << 0 << groupRange;
    QTest::newRow("group before finger") << "5"
                                         << "" << -1 << emptyGroup;
    QTest::newRow("no finger") << "5"
                               << "1" << -1 << noFinger;
    QTest::newRow("finger past the list") << "5"
                                          << "1" << 10 << noFinger;
}

void TestUserEntry::checks()
{
    QFETCH(QString, userId);
    QFETCH(QString, groupId);
    QFETCH(int, finger);
    QFETCH(QString, message);
    EnrolUser record;
    record.EnrolMode = true;
    const Outcome result =
        applyUserEntry({userId, groupId, finger, QStringLiteral("2"), QStringLiteral("VIP")}, record);
    QVERIFY(!result.ok());
    QCOMPARE(result.error(), message);
    QVERIFY(!record.DialogAccepted);
}

void TestUserEntry::accepted_data()
{
    QTest::addColumn<QString>("userId");
    QTest::addColumn<QString>("groupId");
    QTest::addColumn<int>("finger");
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("vip");
    QTest::addColumn<QString>("expectedUser");
    QTest::addColumn<int>("expectedGroup");
    QTest::addColumn<QString>("expectedFinger");
    QTest::addColumn<int>("expectedLevel");

    QTest::newRow("00 accepted") << "00"
                                 << "0" << 0 << "2"
                                 << "VIP"
                                 << "00" << 0 << "Left thumb" << 6;
    QTest::newRow("letters accepted") << "AB-12"
                                      << "7" << 1 << "0"
                                      << "Ordinary"
                                      << "AB-12" << 7 << "Left index finger" << 0;
    QTest::newRow("12 characters") << "123456789012"
                                   << "1" << 9 << "1"
                                   << "Ordinary"
                                   << "123456789012" << 1 << "Right little finger" << 1;
    QTest::newRow("trimmed") << "  42 "
                             << " 3 " << 5 << "2"
                             << "Ordinary"
                             << "42" << 3 << "Right thumb" << 2;
    QTest::newRow("099 as 99") << "7"
                               << "099" << 2 << "2"
                               << "VIP"
                               << "7" << 99 << "Left middle finger" << 6;
    QTest::newRow("3 and VIP gives 7") << "7"
                                       << "1" << 3 << "3"
                                       << "VIP"
                                       << "7" << 1 << "Left ring finger" << 7;
    QTest::newRow("3 and Ordinary gives 3") << "7"
                                            << "1" << 8 << "3"
                                            << "Ordinary"
                                            << "7" << 1 << "Right ring finger" << 3;
    QTest::newRow("0 and VIP gives 4") << "7"
                                       << "1" << 4 << "0"
                                       << "VIP"
                                       << "7" << 1 << "Left little finger" << 4;
}

void TestUserEntry::accepted()
{
    QFETCH(QString, userId);
    QFETCH(QString, groupId);
    QFETCH(int, finger);
    QFETCH(QString, level);
    QFETCH(QString, vip);
    EnrolUser record;
    record.EnrolMode = true;
    const Outcome result = applyUserEntry({userId, groupId, finger, level, vip}, record);
    QVERIFY2(result.ok(), qPrintable(result.error()));
    QVERIFY(record.DialogAccepted);
    QTEST(record.UserId, "expectedUser");
    QTEST(int(record.GroupId), "expectedGroup");
    QCOMPARE(int(record.FingerNo), finger);
    QTEST(record.FingerName, "expectedFinger");
    QTEST(int(record.Level), "expectedLevel");
}

void TestUserEntry::verifyModeLeavesLevel()
{
    EnrolUser record;
    record.EnrolMode = false;
    record.Level = 5;
    QVERIFY(
        applyUserEntry(
            {QStringLiteral("9"), QStringLiteral("2"), 6, QStringLiteral("3"), QStringLiteral("VIP")}, record)
            .ok());
    QCOMPARE(int(record.Level), 5);
    QCOMPARE(record.FingerName, QStringLiteral("Right index finger"));
}

void TestUserEntry::refusalLeavesRecord()
{
    EnrolUser record;
    record.EnrolMode = true;
    record.UserId = QStringLiteral("old");
    record.GroupId = 4;
    QVERIFY(
        !applyUserEntry({QStringLiteral("new"), QStringLiteral("100"), 0, QStringLiteral("1"), {}}, record)
             .ok());
    QCOMPARE(record.UserId, QStringLiteral("old"));
    QCOMPARE(int(record.GroupId), 4);
}

void TestUserEntry::fingerNames()
{
    QCOMPARE(::fingerNames().size(), 10);
    for (int i = 0; i < ::fingerNames().size(); ++i)
        QVERIFY(::fingerNames().at(i).startsWith(QString::number(i) + QStringLiteral(" - ")));
}

QTEST_GUILESS_MAIN(TestUserEntry)
#include "tst_userentry.moc"
