#include "SurfaceInfo.h"

#include <Qsci/qsciglobal.h>

QString scintillaVersion()
{
    return QLatin1String(QSCINTILLA_VERSION_STR);
}
