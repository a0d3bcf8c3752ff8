#pragma once

#include <QString>
#include <QStringList>

// "Sentrova.Log" in the program folder, only ever appended to: one line per
// event, date, one space, time, three spaces, the message, CR LF, in code
// page 932. The file is opened and closed for every line, so each line is on
// disk when write() returns and no handle stays open.
class EventLog
{
public:
    explicit EventLog(const QString &folder);

    // One call, one line: control characters of the message become spaces.
    // Never fails towards the caller: a line that cannot be written goes to
    // standard error instead.
    void write(const QString &message) const;

    QString path() const { return m_path; }
    // The last lines of the file, decoded, without their line ends. Only its
    // last megabytes are read, so a log of years opens as fast as a new one.
    QStringList lastLines(int count) const;

private:
    QString m_path;
};
