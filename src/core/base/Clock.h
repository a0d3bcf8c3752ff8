#pragma once

#include <QDateTime>
#include <QString>

// The one source of "now" for every date and time text the program writes
// (log lines, the last-pass label, the mail and the page), so that tests can
// fix the time and compare bytes.
class Clock
{
public:
    static QDateTime now();

    // Japanese short date and time of day: 2026/12/06 and 7:05:00.
    static QString dateText(const QDateTime &when);
    static QString timeText(const QDateTime &when);
    // Date, one space, time: the form of the log and the last-pass label.
    static QString dateTimeText(const QDateTime &when);

    // Test hook: a fixed time; an invalid QDateTime returns to the real clock.
    static void setFixedTime(const QDateTime &when);

private:
    static QDateTime s_fixed;
};
