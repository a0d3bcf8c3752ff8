#pragma once

#include <QString>

// "Sentrova.Log" in the program folder: one line per event, date, one space,
// time, three spaces, the message, CR LF, in code page 932. The file is
// opened and closed for every entry, so each entry is on disk when
// LogEvent returns and no handle stays open.
class EventLog
{
public:
    explicit EventLog(const QString &folder);

    // Never fails towards the caller: an entry that cannot be written goes to
    // standard error instead.
    void LogEvent(const QString &whatHappened) const;

    QString filePath() const;
    // The bytes of one entry line, as written.
    static QByteArray formatLine(const QString &whatHappened);

private:
    QString m_folder;
};
