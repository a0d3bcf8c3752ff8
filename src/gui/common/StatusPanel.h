#pragma once

#include <QLabel>
#include <QTimer>

// A panel of the status bar. While a pass runs, its text changes several
// times a host, far faster than anyone can read; repainting it each time made
// a pass of a shown window many times slower than its probes. While
// throttled, the panel shows the newest text at most every 40 ms; otherwise,
// and when throttling ends, at once.
class StatusPanel : public QLabel
{
    Q_OBJECT

public:
    explicit StatusPanel(QWidget *parent = nullptr);

    void showText(const QString &text);
    void setThrottled(bool throttled);

private:
    void showPending();

    QTimer m_timer;
    QString m_pending;
    bool m_throttled = false;
};
