#pragma once

#include <QFileSystemWatcher>
#include <QWidget>

class EventLog;
class QPlainTextEdit;

// "イベントログ": the log as the operator reads it, decoded from code page 932:
// its last 5,000 lines, scrolled to the end and following new lines while the
// window is open; a button opens the program folder in the file manager.
class LogWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int shownLines = 5000;

    LogWindow(const EventLog &log, const QString &folder, QWidget *parent = nullptr);

private:
    void reload();

    const EventLog &m_log;
    QPlainTextEdit *m_text;
    QFileSystemWatcher m_watcher;
};
