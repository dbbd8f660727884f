#include "core/enrolment/FingerImageView.h"
#include "core/enrolment/FingerOperation.h"
#include "core/enrolment/UserEntry.h"
#include "fixtures/TestRows.h"

#include <QPainter>

namespace {
constexpr int Width = 320;
constexpr int Height = 480;
const QColor Backdrop(10, 20, 30);

// Top-left quadrant white, the rest black; the terminal's buffer has one spare byte.
QByteArray quadrantImage(qsizetype bytes = Width * Height + 1)
{
    QByteArray image(bytes, char(0));
    for (int r = 0; r < Height / 2; ++r)
        std::fill_n(image.data() + r * Width, Width / 2, char(255));
    return image;
}
} // namespace

// What the enrolment window checks and shows: the user entry, the fingerprint image and the
// identified user.
class TestEnrolment : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void userEntry_data()
    {
        // record: user|group|finger number|finger name|level, or the refusal
        addColumns<QString, QString, int, QString, QString, QString>(
            {"userId", "groupId", "finger", "level", "vip", "record"});
        const char* range = "Group ID should be in range of 0-99!";
        addRow("user checked first", "", "", -1, "", "", "User ID could not be empty!");
        addRow("blank user", "   ", "1", 0, "", "", "User ID could not be empty!");
        addRow("user 0", " 0 ", "1", 0, "", "", "User ID could not be 0!");
        addRow("13 characters", " 1234567890123 ", "1", 0, "", "",
               "The range of User ID could be 1-999999999999!");
        addRow("group before finger", "5", "  ", -1, "", "", "Group ID could not be empty!");
        addRow("group 100", "5", "100", 0, "", "", range);
        addRow("group with a sign", "5", "+5", 0, "", "", range);
        addRow("group in Thai digits", "5", "๕", 0, "", "", range);
        addRow("group beyond any integer", "5", "99999999999999999999999", 0, "", "", range);
        addRow("no finger", "5", "1", -1, "", "", "Finger ID could not be empty!");
        addRow("finger past the list", "5", "1", 10, "", "", "Finger ID could not be empty!");
        addRow("00, group 0 with VIP", "00", "0", 0, "2", "VIP", "00|0|0|Left thumb|6");
        addRow("letters, trimmed", " AB-12 ", " 3 ", 1, "0", "Ordinary", "AB-12|3|1|Left index finger|0");
        addRow("12 characters, 099, 9 and VIP", "123456789012", "099", 9, "3", "VIP",
               "123456789012|99|9|Right little finger|7");
        addRow("3 and Ordinary", "7", "1", 8, "3", "Ordinary", "7|1|8|Right ring finger|3");
    }
    void userEntry()
    {
        QFETCH(QString, userId);
        QFETCH(QString, groupId);
        QFETCH(int, finger);
        QFETCH(QString, level);
        QFETCH(QString, vip);
        QFETCH(QString, record);
        EnrolUser r;
        r.EnrolMode = true;
        r.UserId = u"old"_qs;
        const Outcome result = applyUserEntry({userId, groupId, finger, level, vip}, r);
        QCOMPARE(r.DialogAccepted, result.ok());
        if (!result.ok()) {
            QCOMPARE(result.error(), record);
            QCOMPARE(r.UserId, u"old"_qs);
            return;
        }
        QCOMPARE(
            u"%1|%2|%3|%4|%5"_qs.arg(r.UserId).arg(r.GroupId).arg(r.FingerNo).arg(r.FingerName).arg(r.Level),
            record);
        // verifying leaves the level as it was
        EnrolUser verifying;
        verifying.Level = 5;
        QVERIFY(applyUserEntry({userId, groupId, finger, level, vip}, verifying).ok());
        QCOMPARE(int(verifying.Level), 5);
    }

    void identifiedText_data()
    {
        addColumns<QByteArray, QString>({"buffer", "text"});
        addRow("up to the zero byte", QByteArray("123\0xyz9999999999", 17), "รหัส  123");
        addRow("never past twelve", QByteArray("ABCDEFGHIJKLMNOPQ", 17), "รหัส  ABCDEFGHIJKL");
        addRow("twelve and a zero byte", QByteArray("ABCDEFGHIJKL\0MNOP", 17), "รหัส  ABCDEFGHIJKL");
        addRow("empty", QByteArray(17, '\0'), "รหัส  ");
        addRow("Thai in code page 874", QByteArray("\xca\xc1\xa1\0xxxxxxxxxxxxx", 17), "รหัส  สมก");
    }
    void identifiedText()
    {
        QFETCH(QByteArray, buffer);
        QTEST(FingerOperation::identifiedText(buffer), "text");
    }

    void imageView_data()
    {
        addColumns<QSize>({"display"});
        addRow("half size", QSize(160, 240));
        addRow("other proportions", QSize(400, 100));
    }
    void imageView()
    {
        QFETCH(QSize, display);
        const int w = display.width();
        const int h = display.height();
        FingerImageView view;
        QVERIFY(!view.showImage(quadrantImage()).ok()); // not prepared
        for (const QList<int>& sizeAndBits : {QList<int>{Width, Height, 24}, {0, Height, 8}, {Width, 0, 8}})
            QVERIFY(!view.prepare(sizeAndBits[0], sizeAndBits[1], sizeAndBits[2]));
        QVERIFY(!view.isPrepared());
        QVERIFY(view.prepare(Width, Height, 8));
        view.setDisplaySize(display);
        QImage target(display + QSize(10, 10), QImage::Format_RGB32);
        const auto draw = [&] {
            target.fill(Backdrop);
            QPainter painter(&target);
            view.draw(painter);
        };
        draw();
        QCOMPARE(target.pixelColor(w / 2, h / 2), Backdrop); // nothing before the first image
        QVERIFY(view.showImage(quadrantImage(Width * Height)).ok());
        const Outcome shortOne = view.showImage(QByteArray(Width * Height - 1, char(128)));
        QVERIFY(!shortOne.ok() && shortOne.error().contains(u"incomplete"_qs));
        QVERIFY(!view.prepare(Width, Height, 16)); // a refused preparation keeps the image
        QVERIFY(view.hasImage());
        draw();
        // rows stay upright and the image ends exactly at the display size
        QCOMPARE(qGray(target.pixel(w / 2 - 2, h / 2 - 2)), 255);
        QCOMPARE(qGray(target.pixel(w / 2 + 1, h / 2 - 2)), 0);
        QCOMPARE(qGray(target.pixel(w / 2 - 2, h / 2 + 1)), 0);
        QCOMPARE(target.pixelColor(w - 1, h - 1), QColor(Qt::black));
        QCOMPARE(target.pixelColor(w, h - 1), Backdrop);
        QCOMPARE(target.pixelColor(w - 1, h), Backdrop);
        view.setDisplaySize({});
        draw();
        QCOMPARE(target.pixelColor(0, 0), Backdrop);
    }
};

QTEST_GUILESS_MAIN(TestEnrolment)
#include "tst_enrolment.moc"
