#pragma once

#include <QString>

// Which finger lies on the sensor: a user's finger. The simulator's "biometrics" are this
// identity: images are rendered from it and templates match when identities agree.
struct SimFinger
{
    QString user;
    int finger = 0;

    bool operator==(const SimFinger&) const = default;
    QString text() const { return user + u'/' + QString::number(finger); }
};
