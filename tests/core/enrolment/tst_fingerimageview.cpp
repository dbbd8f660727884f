#include "core/enrolment/FingerImageView.h"
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

QImage drawn(const FingerImageView& view, QSize target)
{
    QImage image(target, QImage::Format_RGB32);
    image.fill(Backdrop);
    QPainter painter(&image);
    view.draw(painter);
    return image;
}
} // namespace

class TestFingerImageView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusedPreparationKeepsTheView();
    void keepsTheLastWholeImage();
    void stretchesOntoTheDisplay_data();
    void stretchesOntoTheDisplay();
};

void TestFingerImageView::refusedPreparationKeepsTheView()
{
    FingerImageView view;
    QVERIFY(!view.showImage(quadrantImage()).ok()); // not prepared
    QVERIFY(view.prepare(Width, Height, 8));
    QVERIFY(view.showImage(quadrantImage()).ok());
    const QImage before = view.viewImage().copy();
    for (const QList<int>& sizeAndBits : {QList<int>{Width, Height, 24}, {0, Height, 8}, {Width, 0, 8}}) {
        QVERIFY(!view.prepare(sizeAndBits[0], sizeAndBits[1], sizeAndBits[2]));
        QCOMPARE(view.viewImage(), before);
    }
    QVERIFY(view.hasImage());
}

void TestFingerImageView::keepsTheLastWholeImage()
{
    FingerImageView view;
    QVERIFY(view.prepare(Width, Height, 8));
    view.setDisplaySize({50, 50});
    QCOMPARE(drawn(view, {50, 50}).pixelColor(25, 25), Backdrop); // nothing before the first image
    QVERIFY(view.showImage(quadrantImage(Width * Height)).ok());  // rows from the top stay upright
    QCOMPARE(qGray(view.viewImage().pixel(0, 0)), 255);
    QCOMPARE(qGray(view.viewImage().pixel(0, Height - 1)), 0);
    const Outcome shortOne = view.showImage(QByteArray(Width * Height - 1, char(128)));
    QVERIFY(!shortOne.ok() && shortOne.error().contains(u"incomplete"_qs));
    QCOMPARE(qGray(view.viewImage().pixel(0, 0)), 255);
}

void TestFingerImageView::stretchesOntoTheDisplay_data()
{
    addColumns<QSize>({"display"});
    addRow("half size", QSize(160, 240));
    addRow("other proportions", QSize(400, 100));
}

void TestFingerImageView::stretchesOntoTheDisplay()
{
    QFETCH(QSize, display);
    FingerImageView view;
    QVERIFY(view.prepare(Width, Height, 8));
    QVERIFY(view.showImage(quadrantImage()).ok());
    view.setDisplaySize(display);
    // drawn onto a larger target: the image ends exactly at the display size
    const QImage target = drawn(view, display + QSize(10, 10));
    const int w = display.width();
    const int h = display.height();
    QCOMPARE(qGray(target.pixel(w / 2 - 2, h / 2 - 2)), 255);
    QCOMPARE(qGray(target.pixel(w / 2 + 1, h / 2 - 2)), 0);
    QCOMPARE(qGray(target.pixel(w / 2 - 2, h / 2 + 1)), 0);
    QCOMPARE(target.pixelColor(w - 1, h - 1), QColor(Qt::black));
    QCOMPARE(target.pixelColor(w, h - 1), Backdrop);
    QCOMPARE(target.pixelColor(w - 1, h), Backdrop);
}

QTEST_GUILESS_MAIN(TestFingerImageView)
#include "tst_fingerimageview.moc"
