#include "filelist/resources.h"

#include <QtGlobal>

void ensureResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(registered);
}
