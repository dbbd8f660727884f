#include "core/layouts/WidthEntry.h"

#include <algorithm>

void WidthEntry::keyPressed(int characterCode)
{
    m_accepted = (characterCode >= '0' && characterCode <= '9') || characterCode == Backspace;
}

bool WidthEntry::accepts(const QString& text) const
{
    return m_accepted &&
           std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}
