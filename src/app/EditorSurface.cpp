#include "EditorSurface.h"

long long EditorSurface::sendMessage(int message, long long wParam, long long lParam)
{
    switch (message) {
    case EM_GETLINECOUNT:
        return lineCount();
    case EM_LINEINDEX:
        return lineIndex(static_cast<int>(wParam));
    case EM_GETFIRSTVISIBLELINE:
        return firstVisibleLine();
    case EM_SCROLL:
        if (wParam >= 0 && wParam <= 3)
            scroll(static_cast<ScrollKind>(wParam));
        return 0;
    case EM_SETTABSTOPS:
        // wParam is the count (always one here); lParam the stop in dialog units.
        return setTabStops(static_cast<int>(lParam)) ? 1 : 0;
    case EM_SETTARGETDEVICE:
        setWordWrap(lParam == 0);
        return 1;
    default:
        return 0;
    }
}
