#include "core/enrolment/FingerImageView.h"
#include "core/enrolment/FingerOperation.h"
#include "core/enrolment/UserEntry.h"
#include "fixtures/TestRows.h"

#include <QPainter>

// The user entry of the enrolment window at its edges, and the fingerprint image it shows.
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
        addRow("group with a sign", "5", "+5", 0, range);
        addRow("group beyond any integer", "5", "99999999999999999999999", 0, range);
        addRow("finger past the list", "5", "1", 10, "Finger ID could not be empty!");
        addRow("00, group 0, first finger", "00", "0", 0, "00|0|0|Left thumb|6");
        addRow("12 characters, 099, last finger", " 123456789012 ", " 099 ", 9,
               "123456789012|99|9|Right little finger|6");
    }
    void userEntry()
    {
        const auto [userId, groupId, finger, record] =
            fetchColumns<QString, QString, int, QString>("userId", "groupId", "finger", "record");
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
    void identifiedUser()
    {
        const QByteArray found = QByteArray("1001") + QByteArray(13, '\0');
        QCOMPARE(FingerOperation::identifiedText(found), u"รหัส  1001"_qs);
        QCOMPARE(FingerOperation::identifiedText(QByteArray(17, '\0')), u"รหัส  "_qs);
    }
    void fingerImage_data()
    {
        // a 32 x 48 image whose top-left quadrant is white (bytes 0: none shown), drawn onto a
        // 60 x 60 backdrop of grey 9; shown: the greys at the top-left corner, left and right of the
        // quadrant's drawn corner and below it, and the backdrop's far corner, or the refusal
        addColumns<int, int, QSize, QString>({"bits", "bytes", "display", "shown"});
        addRow("stretched smaller", 8, 32 * 48 + 1, QSize(16, 24), "255 255 0 0 9");
        addRow("other proportions", 8, 32 * 48, QSize(50, 10), "255 255 0 0 9");
        addRow("before any image", 8, 0, QSize(16, 24), "9 9 9 9 9");
        addRow("no display", 8, 32 * 48, QSize(0, 0), "9 9 9 9 9");
        addRow("one byte short", 8, 32 * 48 - 1, QSize(16, 24),
               "The fingerprint image is incomplete (1535 of 1536 bytes).");
        addRow("24 bits", 24, 32 * 48, QSize(16, 24), "The image display is not prepared.");
    }
    void fingerImage()
    {
        const auto [bits, bytes, display, shown] =
            fetchColumns<int, int, QSize, QString>("bits", "bytes", "display", "shown");
        FingerImageView view;
        QVERIFY(!view.prepare(0, 48, 8) && !view.prepare(32, 0, 8) && !view.isPrepared());
        QCOMPARE(view.prepare(32, 48, bits), bits == 8);
        QByteArray image(bytes, char(0));
        for (int r = 0; r < 24 && bytes > 0; ++r)
            std::fill_n(image.data() + r * 32, 16, char(255));
        if (const Outcome result = bytes ? view.showImage(image) : Outcome::success(); !result.ok()) {
            QVERIFY(!view.hasImage());
            QCOMPARE(result.error(), shown);
            return;
        }
        view.setDisplaySize(display);
        QImage target(60, 60, QImage::Format_RGB32);
        target.fill(QColor(9, 9, 9));
        {
            QPainter painter(&target);
            view.draw(painter);
        }
        const int x = std::max(display.width() / 2, 1);
        const int y = std::max(display.height() / 2, 1);
        QStringList greys;
        for (const QPoint p :
             {QPoint(0, 0), QPoint(x - 1, y - 1), QPoint(x + 1, y - 1), QPoint(x - 1, y + 1), QPoint(59, 59)})
            greys << QString::number(qGray(target.pixel(p)));
        QCOMPARE(greys.join(u' '), shown);
    }
};

QTEST_GUILESS_MAIN(TestEnrolment)
#include "tst_enrolment.moc"
