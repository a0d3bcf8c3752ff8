#pragma once

#include <QString>

// Working copies of the status page settings: the folder, the page name and
// the on/off text, kept per user and stored at once as the settings window
// edits them. The page writer uses the copies, which are read again at
// start-up and at every press of the start/stop button, so a change takes
// effect then.
class StatusPageSettings
{
public:
    // Reads the three working copies.
    void load();
    // The settings window refreshes the on/off copy as it opens, and ticks
    // its box only for the exact text "True".
    bool reloadEnabled();
    // Only the exact text "False" switches the page off; anything else,
    // "false" and an empty text included, leaves it on.
    bool pageEnabled() const;

    QString folder;
    QString page;
    QString enabled;
};
