#pragma once

#include "notify/MailSettings.h"

#include <QObject>
#include <QString>

#include <functional>

// The program's mail settings and the switch that says whether failure
// reports are sent. The main window shows the switch twice (status bar panel
// 3 and the check mark of its menu item) and follows indicationsChanged.
class MailNotification : public QObject
{
    Q_OBJECT

public:
    using Logger = std::function<void(const QString &text)>;

    MailNotification(const QString &folder, Logger log, QObject *parent = nullptr);

    const MailSettings &settings() const { return m_settings; }
    void setSettings(const MailSettings &settings) { m_settings = settings; }

    bool isOn() const { return m_on; }
    // Sets the switch and both indications.
    void setOn(bool on);

    // Reads the file; on success notification is switched on. A failed read
    // leaves the settings, the switch and the indications as they were.
    bool load();
    // Writes the file and shows the indications on; the switch is the
    // caller's (it sets it first).
    bool save();

Q_SIGNALS:
    void indicationsChanged(bool on);

private:
    QString m_folder;
    Logger m_log;
    MailSettings m_settings;
    bool m_on = false;
};
