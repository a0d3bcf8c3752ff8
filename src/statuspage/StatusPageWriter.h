#pragma once

#include <QPointer>

class EventLog;
class HostGrid;
class QMessageBox;
class QWidget;
class WwwSettings;

// Writes the status page from the live host grid after a monitoring pass.
// The page replaces the old one in one step, so a web server never delivers
// half a page and a failed write leaves the last good page in place.
class StatusPageWriter
{
public:
    enum class Outcome { Off, Written, Failed };

    // Failure message boxes are shown over boxParent (may be null).
    StatusPageWriter(const EventLog &log, QWidget *boxParent);

    // makeWWW: never fails towards the caller. A failure is logged at every
    // call; its message box is shown only when the last one has been closed,
    // so unattended monitoring does not pile up one box per pass.
    Outcome write(HostGrid &grid, const WwwSettings &settings);

private:
    bool writePage(HostGrid &grid, const WwwSettings &settings);
    void reportFailure();

    const EventLog &m_log;
    QPointer<QWidget> m_boxParent;
    QPointer<QMessageBox> m_failureBox;
};
