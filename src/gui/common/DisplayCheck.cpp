#include "gui/common/DisplayCheck.h"

#include <QtGlobal>

bool DisplayCheck::hasDisplay()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    }
    return false;
#else
    return true;
#endif
}

const char *DisplayCheck::missingDisplayMessage()
{
    return "sentrova: グラフィカルなデスクトップが必要です (DISPLAY も WAYLAND_DISPLAY も設定されていません)。";
}
