#include "core/enrolment/FingerImageView.h"

#include <QPainter>
#include <QTest>

namespace {
constexpr int Width = 320;
constexpr int Height = 480;

// The terminal's buffer: 320 x 480 grey bytes and one spare byte.
QByteArray terminalImage(int whiteRows)
{
    QByteArray bytes(Width * Height + 1, char(0));
    std::fill_n(bytes.data(), whiteRows * Width, char(255));
    return bytes;
}

QImage drawn(const FingerImageView& view, QSize box)
{
    QImage target(box, QImage::Format_RGB32);
    target.fill(QColor(10, 20, 30));
    QPainter painter(&target);
    view.draw(painter);
    painter.end();
    return target;
}
} // namespace

class TestFingerImageView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void prepareOnlyEightBits_data();
    void prepareOnlyEightBits();
    void refusedPrepareKeepsEarlierState();
    void rowsStayUpright();
    void shortBufferIsRefusedAndEarlierImageStays();
    void nothingDrawnBeforeAnImage();
    void stretchesToTheDisplaySize_data();
    void stretchesToTheDisplaySize();
};

void TestFingerImageView::prepareOnlyEightBits_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("8") << 8 << true;
    QTest::newRow("1") << 1 << false;
    QTest::newRow("16") << 16 << false;
    QTest::newRow("24") << 24 << false;
    QTest::newRow("32") << 32 << false;
}

void TestFingerImageView::prepareOnlyEightBits()
{
    QFETCH(int, bits);
    QFETCH(bool, accepted);
    FingerImageView view;
    QCOMPARE(view.prepare(Width, Height, bits), accepted);
    QCOMPARE(view.isPrepared(), accepted);
    if (accepted)
        QCOMPARE(view.imageSize(), QSize(Width, Height));
}

void TestFingerImageView::refusedPrepareKeepsEarlierState()
{
    FingerImageView view;
    QVERIFY(view.prepare(Width, Height, 8));
    QVERIFY(view.showImage(terminalImage(1)).ok());
    const QImage before = view.viewImage().copy();

    QVERIFY(!view.prepare(100, 100, 24));
    QCOMPARE(view.imageSize(), QSize(Width, Height));
    QVERIFY(view.hasImage());
    QCOMPARE(view.viewImage(), before);
}

void TestFingerImageView::rowsStayUpright()
{
    FingerImageView view;
    QVERIFY(view.prepare(Width, Height, 8));
    QByteArray bytes(Width * Height, char(0));
    for (int r = 0; r < Height; ++r)
        bytes[r * Width + 7] = char(r % 256);
    QVERIFY(view.showImage(bytes).ok());
    for (int r : {0, 1, 255, 256, Height - 1})
        QCOMPARE(qGray(view.viewImage().pixel(7, r)), r % 256);
}

void TestFingerImageView::shortBufferIsRefusedAndEarlierImageStays()
{
    FingerImageView view;
    QVERIFY(!view.showImage(terminalImage(1)).ok()); // not prepared
    QVERIFY(view.prepare(Width, Height, 8));
    QVERIFY(view.showImage(terminalImage(1)).ok());
    const Outcome shortOne = view.showImage(QByteArray(Width * Height - 1, char(255)));
    QVERIFY(!shortOne.ok());
    QVERIFY(shortOne.error().contains(QStringLiteral("incomplete")));
    QCOMPARE(qGray(view.viewImage().pixel(0, 0)), 255);
    QCOMPARE(qGray(view.viewImage().pixel(0, 1)), 0);
}

void TestFingerImageView::nothingDrawnBeforeAnImage()
{
    FingerImageView view;
    QVERIFY(view.prepare(Width, Height, 8));
    view.setDisplaySize(QSize(50, 50));
    const QImage target = drawn(view, QSize(50, 50));
    QCOMPARE(target.pixelColor(25, 25), QColor(10, 20, 30));
}

void TestFingerImageView::stretchesToTheDisplaySize_data()
{
    QTest::addColumn<QSize>("display");
    QTest::newRow("same size") << QSize(Width, Height);
    QTest::newRow("half size") << QSize(160, 240);
    QTest::newRow("wide") << QSize(400, 100);
    QTest::newRow("tall") << QSize(90, 600);
}

void TestFingerImageView::stretchesToTheDisplaySize()
{
    QFETCH(QSize, display);
    FingerImageView view;
    QVERIFY(view.prepare(Width, Height, 8));
    // Top-left quadrant white, the rest black.
    QByteArray bytes(Width * Height, char(0));
    for (int r = 0; r < Height / 2; ++r)
        std::fill_n(bytes.data() + r * Width, Width / 2, char(255));
    QVERIFY(view.showImage(bytes).ok());
    view.setDisplaySize(display);

    // Drawn onto a larger target: the image ends exactly at the display size.
    const QImage target = drawn(view, display + QSize(10, 10));
    const int w = display.width();
    const int h = display.height();
    QCOMPARE(qGray(target.pixel(0, 0)), 255);
    QCOMPARE(qGray(target.pixel(w / 2 - 2, h / 2 - 2)), 255);
    QCOMPARE(qGray(target.pixel(w / 2 + 1, h / 2 - 2)), 0);
    QCOMPARE(qGray(target.pixel(w / 2 - 2, h / 2 + 1)), 0);
    QCOMPARE(target.pixelColor(w - 1, h - 1), QColor(Qt::black));
    QCOMPARE(target.pixelColor(w, h - 1), QColor(10, 20, 30));
    QCOMPARE(target.pixelColor(w - 1, h), QColor(10, 20, 30));
}

QTEST_GUILESS_MAIN(TestFingerImageView)
#include "tst_fingerimageview.moc"
