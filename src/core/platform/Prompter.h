#pragma once

#include <QString>

// Every message box and file dialog of the windows goes through a prompter, so that windows
// can be driven by tests: the desktop prompter shows real dialogs, the test prompter answers
// from a queue and records what was shown.
class Prompter
{
public:
    enum class Icon { None, Information, Question, Warning, Critical };
    enum class Buttons { Ok, YesNo, OkCancel };
    enum class Answer { Ok, Yes, No, Cancel };
    enum class FileDialog { Save, Open };

    virtual ~Prompter() = default;

    virtual Answer message(Icon icon, const QString& title, const QString& text,
                           Buttons buttons = Buttons::Ok) = 0;

    // filter: pairs of description and pattern separated by bars, as
    // "Text Files (*.Txt)|*.Txt|All Files (*.*)|*.*". The dialog starts with an empty file name.
    // Returns the chosen path, or the empty text when the operator cancelled.
    virtual QString askFileName(FileDialog kind, const QString& filter, const QString& title = {}) = 0;
};
