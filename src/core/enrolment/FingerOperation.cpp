#include "core/enrolment/FingerOperation.h"

#include "core/platform/Cp874.h"
#include "core/terminal/Tq90Client.h"
#include "core/terminal/Tq90Result.h"

namespace {
const QString PlaceFinger = QStringLiteral("วางนิ้วมือลงบน TQ90...");
const QString LiftFinger = QStringLiteral("ยกนิ้วมือขึ้นออกจาก TQ90...");
const QString Canceled = QStringLiteral("Operation canceled by user!");
constexpr int DefaultPollMs = 20;
constexpr int ShownIdBytes = 12;
} // namespace

FingerOperation::FingerOperation(Tq90Client& client, QObject* parent) : QObject(parent), m_client(client)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(DefaultPollMs);
    connect(&m_timer, &QTimer::timeout, this, &FingerOperation::poll);
}

bool FingerOperation::start(Kind kind, int handle, const EnrolUser& user)
{
    if (m_running)
        return false;
    m_running = true;
    m_stopRequested = false;
    m_kind = kind;
    m_handle = handle;
    m_user = user;
    m_sample = 0;
    waitFor(Wait::Finger);
    return true;
}

QString FingerOperation::identifiedText(const QByteArray& buffer)
{
    QByteArray id = buffer.left(ShownIdBytes);
    const qsizetype zero = id.indexOf('\0');
    if (zero >= 0)
        id.truncate(zero);
    return QStringLiteral("รหัส  ") + Cp874::decode(id);
}

void FingerOperation::waitFor(Wait wait)
{
    m_wait = wait;
    Q_EMIT message(wait == Wait::Finger ? PlaceFinger : LiftFinger);
    m_timer.start();
}

void FingerOperation::poll()
{
    if (m_stopRequested) {
        finish(Canceled);
        return;
    }
    const int sensor = m_client.Tq90CheckFinger(m_handle);
    if (sensor == Tq90Result::SocketError || sensor == Tq90Result::Timeout) {
        // The connection is gone: no finger will ever be seen lifted, so the wait ends here
        // rather than polling a dead session until the operator presses stop.
        finish(Tq90ErrorText(sensor));
        return;
    }
    const bool fingerOn = sensor != Tq90Result::NoImage;
    if (m_wait == Wait::Finger && fingerOn) {
        fingerPlaced();
    } else if (m_wait == Wait::Lift && !fingerOn) {
        fingerLifted();
    } else {
        m_timer.start();
    }
}

void FingerOperation::fingerPlaced()
{
    m_wait = Wait::None;
    switch (m_kind) {
    case Kind::Capture:
        capture();
        break;
    case Kind::Enrol:
        enrolSample();
        break;
    case Kind::Verify:
    case Kind::Identify:
        verifyOrIdentify();
        break;
    }
}

int FingerOperation::downloadImage()
{
    QByteArray image(ImageBytes, '\0');
    const int result = m_client.Tq90DownloadRawImage(m_handle, image);
    if (result == Tq90Result::Ok)
        Q_EMIT imageDownloaded(image);
    return result;
}

void FingerOperation::capture()
{
    int result = m_client.Tq90CaptureImage(m_handle);
    if (result == Tq90Result::Ok) {
        result = downloadImage();
        if (result == Tq90Result::Ok) {
            finish(QStringLiteral("Capture successfully!"));
            return;
        }
    }
    finish(Tq90ErrorText(result));
}

void FingerOperation::enrolSample()
{
    int result = m_client.Tq90CaptureImage(m_handle);
    if (result == Tq90Result::NoImage) {
        // The finger was not usable: the same sample is taken again from a new placement.
        waitFor(Wait::Finger);
        return;
    }
    if (result != Tq90Result::Ok) {
        finish(Tq90ErrorText(result));
        return;
    }
    downloadImage(); // a sample does not depend on the operator seeing its image
    result = m_client.Tq90ProcessImage(m_handle);
    if (result == Tq90Result::Ok)
        result = m_client.Tq90StoreSample(m_handle, m_sample);
    if (result != Tq90Result::Ok) {
        finish(Tq90ErrorText(result));
        return;
    }
    Q_EMIT sampleStored(m_sample + 1);
    waitFor(Wait::Lift);
}

void FingerOperation::fingerLifted()
{
    m_wait = Wait::None;
    ++m_sample;
    if (m_sample < SampleCount)
        waitFor(Wait::Finger);
    else
        storeTemplate();
}

void FingerOperation::storeTemplate()
{
    const int result =
        m_client.Tq90StoreTemplate(m_handle, m_user.UserId, m_user.GroupId, m_user.FingerNo, m_user.Level);
    finish(result == Tq90Result::Ok ? m_user.UserId + QStringLiteral(" is enrolled successfully!")
                                    : Tq90ErrorText(result));
}

void FingerOperation::verifyOrIdentify()
{
    int result = m_client.Tq90CaptureImage(m_handle);
    if (result != Tq90Result::Ok) {
        finish(Tq90ErrorText(result));
        return;
    }
    downloadImage();
    result = m_client.Tq90ProcessImage(m_handle);
    if (result != Tq90Result::Ok) {
        finish(Tq90ErrorText(result));
        return;
    }
    if (m_kind == Kind::Verify) {
        result = m_client.Tq90Verify(m_handle, m_user.UserId, m_user.GroupId, m_user.FingerNo);
        finish(result == Tq90Result::Ok ? QStringLiteral("Verify successfully!") : Tq90ErrorText(result));
        return;
    }
    QByteArray buffer(IdentifyBytes, '\0');
    result = m_client.Tq90Identify(m_handle, buffer);
    finish(result == Tq90Result::Ok ? identifiedText(buffer) : Tq90ErrorText(result));
}

void FingerOperation::finish(const QString& text)
{
    m_timer.stop();
    m_wait = Wait::None;
    m_running = false;
    Q_EMIT message(text);
    Q_EMIT finished();
}
