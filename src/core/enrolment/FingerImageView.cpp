#include "core/enrolment/FingerImageView.h"

#include <QPainter>

#include <cstring>

bool FingerImageView::prepare(int width, int height, int bitsPerPixel)
{
    if (bitsPerPixel != 8 || width <= 0 || height <= 0)
        return false;
    m_view = QImage(width, height, QImage::Format_Grayscale8);
    m_view.fill(0);
    m_hasImage = false;
    return true;
}

Outcome FingerImageView::showImage(const QByteArray& image)
{
    if (!isPrepared())
        return Outcome::failure(QStringLiteral("The image display is not prepared."));
    const qsizetype width = m_view.width();
    const qsizetype height = m_view.height();
    if (image.size() < width * height)
        return Outcome::failure(QStringLiteral("The fingerprint image is incomplete (%1 of %2 bytes).")
                                    .arg(image.size())
                                    .arg(width * height));
    // QImage rows run from the top like the terminal's, so each row keeps its place; the copy
    // is per row because scan lines may be padded.
    for (qsizetype r = 0; r < height; ++r)
        std::memcpy(m_view.scanLine(int(r)), image.constData() + r * width, size_t(width));
    m_hasImage = true;
    return Outcome::success();
}

void FingerImageView::draw(QPainter& painter) const
{
    if (!m_hasImage || m_displaySize.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(QPoint(0, 0), m_displaySize), m_view);
    painter.restore();
}
