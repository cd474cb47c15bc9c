#include "ui/app_icon.h"

// The resources live in a static library, so nothing would pull them in without this.
static void InitResources()
{
    Q_INIT_RESOURCE(resources);
}

QIcon VarnelIcon()
{
    static const bool loaded = (InitResources(), true);
    (void)loaded;
    return QIcon(QStringLiteral(":/icons/varnel.png"));
}
