#include "core/enrolment/FingerImageView.h"
#include "gui/enrolment/FingerImageBox.h"

#include <QTest>

namespace {
constexpr int Width = 320;
constexpr int Height = 480;

QByteArray firstRowWhite()
{
    QByteArray bytes(Width * Height + 1, char(0));
    std::fill_n(bytes.data(), Width, char(255));
    return bytes;
}

// Left half of the upper half white, everything else black.
QByteArray quadrant()
{
    QByteArray bytes(Width * Height + 1, char(0));
    for (int r = 0; r < Height / 2; ++r)
        std::fill_n(bytes.data() + r * Width, Width / 2, char(255));
    return bytes;
}
} // namespace

class TestFingerImageBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void whiteFirstRowShowsAtTheTop();
    void stretchedOverTheWholeBox_data();
    void stretchedOverTheWholeBox();
    void imageSurvivesRepaintAndRefusedPrepare();
};

void TestFingerImageBox::whiteFirstRowShowsAtTheTop()
{
    FingerImageView view;
    QVERIFY(view.prepare(Width, Height, 8));
    FingerImageBox box(view);
    box.setFixedSize(Width, Height);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY(view.showImage(firstRowWhite()).ok());
    box.update();

    const QImage shot = box.grab().toImage();
    QCOMPARE(shot.size(), QSize(Width, Height));
    for (int x : {0, 100, Width - 1}) {
        QCOMPARE(qGray(shot.pixel(x, 0)), 255);
        QCOMPARE(qGray(shot.pixel(x, 1)), 0);
        QCOMPARE(qGray(shot.pixel(x, Height - 1)), 0);
    }
}

void TestFingerImageBox::stretchedOverTheWholeBox_data()
{
    QTest::addColumn<QSize>("boxSize");
    QTest::newRow("half size") << QSize(160, 240);
    QTest::newRow("wider than the image") << QSize(300, 120);
    QTest::newRow("narrow and tall") << QSize(64, 400);
}

void TestFingerImageBox::stretchedOverTheWholeBox()
{
    QFETCH(QSize, boxSize);
    FingerImageView view;
    QVERIFY(view.prepare(Width, Height, 8));
    FingerImageBox box(view);
    box.setFixedSize(boxSize);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(view.displaySize(), boxSize);
    QVERIFY(view.showImage(quadrant()).ok());

    const QImage shot = box.grab().toImage();
    const int w = boxSize.width();
    const int h = boxSize.height();
    // White exactly over the top-left quarter of the box, whatever its proportions.
    QCOMPARE(qGray(shot.pixel(0, 0)), 255);
    QCOMPARE(qGray(shot.pixel(w / 2 - 1, h / 2 - 1)), 255);
    QCOMPARE(qGray(shot.pixel(w / 2 + 1, h / 2 - 1)), 0);
    QCOMPARE(qGray(shot.pixel(w / 2 - 1, h / 2 + 1)), 0);
    QCOMPARE(shot.pixelColor(w - 1, h - 1), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(w - 1, 0), QColor(Qt::black));
}

void TestFingerImageBox::imageSurvivesRepaintAndRefusedPrepare()
{
    FingerImageView view;
    QVERIFY(view.prepare(Width, Height, 8));
    FingerImageBox box(view);
    box.setFixedSize(160, 240);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY(view.showImage(firstRowWhite()).ok());
    const QImage first = box.grab().toImage();

    box.hide();
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.repaint();
    QVERIFY(!view.prepare(Width, Height, 24));
    QCOMPARE(box.grab().toImage(), first);
}

QTEST_MAIN(TestFingerImageBox)
#include "tst_fingerimagebox.moc"
