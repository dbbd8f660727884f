#include "search/frmTQID.h"

#include "data/Connections.h"

#include <QCoreApplication>

frmTQID::frmTQID(AppContext& context, QWidget* parent)
    : NumberPicker(context, QStringLiteral("ListFID"), QStringLiteral("เลือกเครื่องสแกน"), parent)
{
    setObjectName(QStringLiteral("frmTQID"));
}

NumberPicker::Lister frmTQID::localTerminals()
{
    return [] {
        return ListLocalTerminals(Connections::get(Connections::LocalConnection),
                                  [] { QCoreApplication::processEvents(); });
    };
}
