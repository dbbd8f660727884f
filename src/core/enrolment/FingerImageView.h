#pragma once

#include "core/platform/Outcome.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

class QPainter;

// Shows raw fingerprint images from the terminal: an 8-bit grey image, one byte per pixel
// (0 black, 255 white), rows from the top, stretched onto a display area of any proportions.
// The last image shown is kept, so a picture box can draw it again whenever it repaints.
class FingerImageView final
{
public:
    // Only 8 bits per pixel is supported. For 8 the view buffer is allocated for the given
    // size and true is returned; anything else returns false and leaves the view as it was.
    bool prepare(int width, int height, int bitsPerPixel);

    // The area the image is stretched onto, in pixels, from the top-left corner.
    void setDisplaySize(QSize size) { m_displaySize = size; }
    QSize displaySize() const { return m_displaySize; }
    QSize imageSize() const { return m_view.size(); }
    bool isPrepared() const { return !m_view.isNull(); }
    bool hasImage() const { return m_hasImage; }
    // The kept image, upright.
    const QImage& viewImage() const { return m_view; }

    // Copies the image row by row into the view buffer. The buffer must hold at least
    // width x height bytes (the terminal's buffer carries one byte more, which is not used);
    // a shorter one is refused and the earlier image stays.
    Outcome showImage(const QByteArray& image);

    // Stretches the whole kept image onto (0, 0, display width, display height).
    void draw(QPainter& painter) const;

private:
    QImage m_view;
    QSize m_displaySize;
    bool m_hasImage = false;
};
