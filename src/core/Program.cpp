#include "core/Program.h"

#include "core/base/AbandonedLookups.h"
#include "core/base/SettingsStore.h"
#include "core/hosts/HostListFile.h"

#include <cstdio>
#include <cstdlib>

Program::Program(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
    , m_log(folder)
    , m_mail(folder, m_log)
    , m_pass(m_hosts, m_log, m_mail)
    , m_schedule(m_pass, m_log)
    , m_health(m_schedule, m_pass)
    , m_pageWriter(m_log)
{
    connect(&m_schedule, &MonitorSchedule::passFinished, this,
            [this] { m_pageWriter.write(m_hosts.hosts(), m_pageSettings); });
    // Every keystroke in the interval box is a write: one line a run is enough.
    connect(
        &SettingsStore::instance(), &SettingsStore::writeFailed, this,
        [this](const QString &fileName) {
            m_log.write(QStringLiteral("ユーザー設定を保存できません (%1)。").arg(fileName));
        },
        Qt::SingleShotConnection);
}

void Program::startUp()
{
    m_pageSettings.load();
    m_log.write(QStringLiteral("Sentrovaを起動しました..."));
    // The interval box shows the stored text, which is then stored back.
    SettingsStore::setText(Setting::IntervalText, SettingsStore::text(Setting::IntervalText));
    if (HostListFile::load(m_folder, m_hosts))
        m_log.write(QStringLiteral("Sentrova環境設定ファイルをロードしました。"));
    else
        m_log.write(QStringLiteral("環境設定ファイルを読み取れません。"));
    m_mail.load();
    m_log.write(QStringLiteral("Sentrova起動完了"));
}

void Program::toggleMonitoring(const QString &intervalText)
{
    m_pageSettings.load();
    m_schedule.toggle(intervalText);
}

void Program::exitChosen()
{
    m_log.write(QStringLiteral("終了"));
}

void Program::end()
{
    if (m_ended)
        return;
    m_ended = true;
    m_log.write(QStringLiteral("Sentrovaが終了しました。"));
    m_schedule.shutDown();
    Q_EMIT ended();
}

int Program::endProcess(int status)
{
    if (!AbandonedLookups::any())
        return status;
    std::fflush(nullptr);
    std::_Exit(status);
}
