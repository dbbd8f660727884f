#include "gui/search/TerminalPicker.h"

#include "core/storage/Connections.h"

#include <QCoreApplication>

TerminalPicker::TerminalPicker(AppContext& context, QWidget* parent)
    : NumberPicker(context, QStringLiteral("ListFID"), QStringLiteral("เลือกเครื่องสแกน"), parent)
{
    setObjectName(QStringLiteral("TerminalPicker"));
}

NumberPicker::Lister TerminalPicker::localTerminals()
{
    return [] {
        return listLocalTerminals(Connections::get(Connections::LocalConnection),
                                  [] { QCoreApplication::processEvents(); });
    };
}
