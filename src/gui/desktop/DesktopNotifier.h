#pragma once

#include <QObject>
#include <QSet>
#include <QString>

// Desktop notifications over the session bus (org.freedesktop.Notifications).
// Where no notification server answers, nothing is shown and nothing waits.
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    explicit DesktopNotifier(QObject *parent = nullptr);

    void notify(const QString &title, const QString &text);

Q_SIGNALS:
    // The operator clicked one of our notifications.
    void clicked();

private Q_SLOTS:
    void onActionInvoked(uint id, const QString &action);
    void onClosed(uint id);

private:
    QSet<uint> m_shown;   // ids of our notifications still shown, to tell ours from others'
};
