#pragma once

#include <QStringList>

// What a pass changed and how the list stands after it: the desktop's tray
// icon and notifications show it.
struct PassSummary
{
    QStringList wentDown;   // found down, and not down before (a start counts as not yet probed)
    QStringList cameBack;   // answering again after being down
    int running = 0;   // rows running after the pass
    int down = 0;   // rows down after the pass
};
