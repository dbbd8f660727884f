#pragma once

#include "SimFinger.h"

#include <QList>

#include <array>
#include <optional>

// The scripted sensor: a finger is placed and lifted by console commands; captures can be told
// to fail with a chosen code. A capture keeps the finger's image until the next capture;
// processing turns it into the sample that storing, verifying and identifying use.
class SimFingerSensor final
{
public:
    void place(SimFinger finger) { m_placed = std::move(finger); }
    void lift() { m_placed.reset(); }
    const std::optional<SimFinger>& placed() const { return m_placed; }
    // The next captures (times of them) fail with code.
    void failCaptures(int code, int times);

    int checkFinger() const;
    int capture();
    int process();
    int storeSample(int index);
    const std::optional<SimFinger>& captured() const { return m_captured; }
    const std::optional<SimFinger>& processed() const { return m_processed; }
    // The finger all five samples were taken from, or nothing when they are incomplete or mixed.
    std::optional<SimFinger> enrolledFinger() const;
    void clearSamples() { m_samples = {}; }

private:
    std::optional<SimFinger> m_placed;
    std::optional<SimFinger> m_captured;
    std::optional<SimFinger> m_processed;
    std::array<std::optional<SimFinger>, 5> m_samples;
    QList<int> m_captureFailures;
};
