#pragma once

#include "gui/search/NumberPicker.h"

// The terminal picker, titled "เลือกเครื่องสแกน": lists the terminal numbers of the local
// tblexport and writes the chosen ones into the export window's terminal box.
class TerminalPicker final : public NumberPicker
{
    Q_OBJECT

public:
    explicit TerminalPicker(AppContext& context, QWidget* parent = nullptr);

    // The terminals of the local table tblexport (LocalConnection).
    static Lister localTerminals();
};
