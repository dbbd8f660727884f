#include "SimFingerSensor.h"

#include "core/terminal/Tq90Result.h"

void SimFingerSensor::failCaptures(int code, int times)
{
    for (int i = 0; i < times; ++i)
        m_captureFailures.append(code);
}

int SimFingerSensor::checkFinger() const
{
    return m_placed ? Tq90Result::Ok : Tq90Result::NoImage;
}

int SimFingerSensor::capture()
{
    if (!m_placed)
        return Tq90Result::NoImage;
    if (!m_captureFailures.isEmpty())
        return m_captureFailures.takeFirst();
    m_captured = m_placed;
    m_processed.reset();
    return Tq90Result::Ok;
}

int SimFingerSensor::process()
{
    if (!m_captured)
        return Tq90Result::NoImage;
    m_processed = m_captured;
    return Tq90Result::Ok;
}

int SimFingerSensor::storeSample(int index)
{
    if (index < 0 || index >= static_cast<int>(m_samples.size()))
        return Tq90Result::BadArgument;
    if (!m_processed)
        return Tq90Result::NoImage;
    m_samples[static_cast<size_t>(index)] = m_processed;
    return Tq90Result::Ok;
}

std::optional<SimFinger> SimFingerSensor::enrolledFinger() const
{
    if (!m_samples[0])
        return std::nullopt;
    for (const auto& s : m_samples) {
        if (!s || !(*s == *m_samples[0]))
            return std::nullopt;
    }
    return m_samples[0];
}
