#include "gui/shell/AppResources.h"

#include <QtGlobal>

void ensureAppResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(tqtool);
        return true;
    }();
    static_cast<void>(registered);
}
