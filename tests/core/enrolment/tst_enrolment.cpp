#include "core/enrolment/UserEntry.h"
#include "fixtures/TestRows.h"

// The user entry of the enrolment window at its edges.
class TestEnrolment : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void userEntry_data()
    {
        // record: user|group|finger number|finger name|level, or the refusal
        addColumns<QString, QString, int, QString>({"userId", "groupId", "finger", "record"});
        const char* range = "Group ID should be in range of 0-99!";
        addRow("13 characters", "1234567890123", "1", 0, "The range of User ID could be 1-999999999999!");
        addRow("group 100", "5", "100", 0, range);
        addRow("group in Thai digits", "5", "๕", 0, range);
        addRow("group beyond any integer", "5", "99999999999999999999999", 0, range);
        addRow("finger past the list", "5", "1", 10, "Finger ID could not be empty!");
        addRow("00, group 0, first finger", "00", "0", 0, "00|0|0|Left thumb|6");
        addRow("12 characters, 099, last finger", " 123456789012 ", " 099 ", 9,
               "123456789012|99|9|Right little finger|6");
    }
    void userEntry()
    {
        QFETCH(QString, userId);
        QFETCH(QString, groupId);
        QFETCH(int, finger);
        QFETCH(QString, record);
        EnrolUser r;
        r.EnrolMode = true;
        r.UserId = u"old"_qs;
        const Outcome result = applyUserEntry({userId, groupId, finger, u"2"_qs, u"VIP"_qs}, r);
        QCOMPARE(r.DialogAccepted, result.ok());
        QCOMPARE(result.ok() ? u"%1|%2|%3|%4|%5"_qs.arg(r.UserId)
                                   .arg(r.GroupId)
                                   .arg(r.FingerNo)
                                   .arg(r.FingerName)
                                   .arg(r.Level)
                             : result.error() + r.UserId,
                 record + (result.ok() ? u""_qs : u"old"_qs));
    }
};

QTEST_GUILESS_MAIN(TestEnrolment)
#include "tst_enrolment.moc"
