#include "core/enrolment/UserEntry.h"
#include "fixtures/TestRows.h"

class TestUserEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refused_data();
    void refused();
    void accepted_data();
    void accepted();
    void verifyingLeavesTheLevel();
};

void TestUserEntry::refused_data()
{
    addColumns<QString, QString, int, QString>({"userId", "groupId", "finger", "message"});
    const char* range = "Group ID should be in range of 0-99!";
    addRow("user checked first", "", "", -1, "User ID could not be empty!");
    addRow("blank user", "   ", "1", 0, "User ID could not be empty!");
    addRow("user 0", " 0 ", "1", 0, "User ID could not be 0!");
    addRow("13 characters", " 1234567890123 ", "1", 0, "The range of User ID could be 1-999999999999!");
    addRow("group before finger", "5", "  ", -1, "Group ID could not be empty!");
    addRow("group 100", "5", "100", 0, range);
    addRow("group with a sign", "5", "+5", 0, range);
    addRow("group in Thai digits", "5", "๕", 0, range);
    addRow("group beyond any integer", "5", "99999999999999999999999", 0, range);
    addRow("no finger", "5", "1", -1, "Finger ID could not be empty!");
    addRow("finger past the list", "5", "1", 10, "Finger ID could not be empty!");
}

void TestUserEntry::refused()
{
    QFETCH(QString, userId);
    QFETCH(QString, groupId);
    QFETCH(int, finger);
    EnrolUser record;
    record.EnrolMode = true;
    record.UserId = u"old"_qs;
    const Outcome result = applyUserEntry({userId, groupId, finger, u"2"_qs, u"VIP"_qs}, record);
    QVERIFY(!result.ok());
    QTEST(result.error(), "message");
    QVERIFY(!record.DialogAccepted);
    QCOMPARE(record.UserId, u"old"_qs);
}

void TestUserEntry::accepted_data()
{
    // the record: user|group|finger number|finger name|level
    addColumns<QString, QString, int, QString, QString, QString>(
        {"userId", "groupId", "finger", "level", "vip", "record"});
    addRow("00 with VIP", "00", "0", 0, "2", "VIP", "00|0|0|Left thumb|6");
    addRow("letters, trimmed", " AB-12 ", " 3 ", 1, "0", "Ordinary", "AB-12|3|1|Left index finger|0");
    addRow("12 characters, 099, 3 and VIP", "123456789012", "099", 9, "3", "VIP",
           "123456789012|99|9|Right little finger|7");
    addRow("3 and Ordinary", "7", "1", 8, "3", "Ordinary", "7|1|8|Right ring finger|3");
}

void TestUserEntry::accepted()
{
    QFETCH(QString, userId);
    QFETCH(QString, groupId);
    QFETCH(int, finger);
    QFETCH(QString, level);
    QFETCH(QString, vip);
    EnrolUser r;
    r.EnrolMode = true;
    const Outcome result = applyUserEntry({userId, groupId, finger, level, vip}, r);
    QVERIFY2(result.ok(), qPrintable(result.error()));
    QVERIFY(r.DialogAccepted);
    QTEST(u"%1|%2|%3|%4|%5"_qs.arg(r.UserId).arg(r.GroupId).arg(r.FingerNo).arg(r.FingerName).arg(r.Level),
          "record");
}

void TestUserEntry::verifyingLeavesTheLevel()
{
    EnrolUser record;
    record.Level = 5;
    QVERIFY(applyUserEntry({u"9"_qs, u"2"_qs, 6, u"3"_qs, u"VIP"_qs}, record).ok());
    QCOMPARE(int(record.Level), 5);
    QCOMPARE(record.FingerName, u"Right index finger"_qs);
}

QTEST_GUILESS_MAIN(TestUserEntry)
#include "tst_userentry.moc"
