#pragma once

#include "core/enrolment/EnrolUser.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class Tq90Client;

// One finger operation on a connected terminal: capture an image, enrol a finger with five
// samples, verify a finger against a user, or identify the user of a finger.
//
// The waits for a finger to be placed and lifted poll the terminal's sensor from a timer, one
// check per tick, so the window keeps handling events (and its stop button) between checks
// without any nested event loop: nothing can run an operation from inside another.
class FingerOperation final : public QObject
{
    Q_OBJECT

public:
    enum class Kind { Capture, Enrol, Verify, Identify };
    static constexpr int SampleCount = 5;
    static constexpr int ImageBytes = 153601;
    static constexpr int IdentifyBytes = 17;

    explicit FingerOperation(Tq90Client& client, QObject* parent = nullptr);

    // Milliseconds between two checks of the sensor.
    void setPollInterval(int ms) { m_timer.setInterval(ms); }

    // Starts an operation on the terminal session; the user is read for enrolment and
    // verification. Returns false (and does nothing) while another operation runs.
    bool start(Kind kind, int handle, const EnrolUser& user = {});
    // The stop button: the running wait ends with "Operation canceled by user!".
    void requestStop() { m_stopRequested = true; }
    bool stopRequested() const { return m_stopRequested; }
    bool isRunning() const { return m_running; }

    // "รหัส  " and the user ID of an identify buffer: bytes 0 to 11, up to the first zero byte.
    static QString identifiedText(const QByteArray& buffer);

Q_SIGNALS:
    // The status text for the operator.
    void message(const QString& text);
    // A raw image arrived from the terminal (153,601 bytes).
    void imageDownloaded(const QByteArray& image);
    // Enrolment: count samples (1 to 5) are stored.
    void sampleStored(int count);
    // The operation ended, however it ended.
    void finished();

private:
    enum class Wait { None, Finger, Lift };

    void waitFor(Wait wait);
    void poll();
    void fingerPlaced();
    void fingerLifted();
    void capture();
    void enrolSample();
    void verifyOrIdentify();
    void storeTemplate();
    // Downloads the image and announces it; the terminal's result.
    int downloadImage();
    void finish(const QString& text);

    Tq90Client& m_client;
    QTimer m_timer;
    Kind m_kind = Kind::Capture;
    int m_handle = 0;
    EnrolUser m_user;
    Wait m_wait = Wait::None;
    int m_sample = 0;
    bool m_running = false;
    bool m_stopRequested = false;
};
