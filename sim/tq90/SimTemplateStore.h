#pragma once

#include "SimFinger.h"

#include <QList>
#include <QString>

#include <optional>

// The terminal's enrolled fingers.
class SimTemplateStore final
{
public:
    struct Template
    {
        QString userId;
        int group = 0;
        int finger = 0;
        int level = 0;
        SimFinger sample;
    };
    static constexpr int Capacity = 3000;

    // 0, or 78 when the user already has this finger enrolled, 70 when the store is full.
    int store(Template t);
    // 0 on a match; 68 empty store, 77 no such user and finger, 69 another finger.
    int verify(const QString& userId, int group, int finger, const SimFinger& sample) const;
    // The user whose template matches the sample; the result code otherwise (68 or 69).
    int identify(const SimFinger& sample, QString* userId) const;
    const QList<Template>& templates() const { return m_templates; }

private:
    // Whether a template matches a sample taken now.
    static bool matches(const Template& t, const SimFinger& sample) { return t.sample == sample; }

    QList<Template> m_templates;
};
