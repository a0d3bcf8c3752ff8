#pragma once

#include "core/hosts/HostTableModel.h"

#include <QObject>

class EventLog;
class StatusPageSettings;

// Writes the status page after a monitoring pass. The page replaces the old
// one in one step, so a web server never delivers half a page and a failed
// write leaves the last good page in place. A failure is logged at every
// pass and told to the operator.
class StatusPageWriter : public QObject
{
    Q_OBJECT

public:
    enum class Outcome { Off, Written, Failed };

    explicit StatusPageWriter(const EventLog &log, QObject *parent = nullptr);

    Outcome write(const QList<Host> &hosts, const StatusPageSettings &settings);

Q_SIGNALS:
    void failed(const QString &message);

private:
    const EventLog &m_log;
};
