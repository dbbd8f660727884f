#pragma once

#include <QString>

// The rule of the editor's width box: a key sets whether the next change is accepted (digits
// "0" to "9" and backspace are, any other key is not), and an accepted change must leave a
// text of digits only, so that a pasted or dropped text cannot put a non-number into a width.
class WidthEntry final
{
public:
    static constexpr int Backspace = 8;

    // Called for every key pressed in the box, with the key's character code (0 for a key that
    // gives no character).
    void keyPressed(int characterCode);
    // Whether the box's new text is to become the width; when not, the box goes back to the
    // width it had.
    bool accepts(const QString& text) const;
    bool keyAccepted() const { return m_accepted; }

private:
    bool m_accepted = false;
};
