#include "gui/desktop/Keyring.h"

#include <qt6keychain/keychain.h>

#include <cstdio>

namespace
{
const QString service = QStringLiteral("Sentrova");

// Why the store did not answer, in the operator's words; the store's own
// words go to standard error, for the troubleshooting.
QString failureOf(const QKeychain::Job &job)
{
    if (job.error() == QKeychain::NoError)
        return {};
    std::fprintf(stderr, "Sentrova: キーリング: %s\n", qPrintable(job.errorString()));
    if (job.error() == QKeychain::AccessDenied || job.error() == QKeychain::AccessDeniedByUser)
        return QStringLiteral("キーリングへのアクセスが拒否されました");
    return QStringLiteral("キーリングが利用できません");
}

// The account's key: one password a user name.
QString keyOf(const QString &user)
{
    return QStringLiteral("smtp:") + user;
}
}

void Keyring::store(const QString &user, const QString &password, QObject *context, Stored done)
{
    auto *job = new QKeychain::WritePasswordJob(service);
    job->setKey(keyOf(user));
    job->setTextData(password);
    QObject::connect(job, &QKeychain::Job::finished, context,
                     [done = std::move(done)](QKeychain::Job *finished) { done(failureOf(*finished)); });
    job->start();
}

void Keyring::read(const QString &user, QObject *context, std::function<void(const Read &)> done)
{
    auto *job = new QKeychain::ReadPasswordJob(service);
    job->setKey(keyOf(user));
    QObject::connect(job, &QKeychain::Job::finished, context, [done = std::move(done)](QKeychain::Job *finished) {
        const auto *reading = static_cast<QKeychain::ReadPasswordJob *>(finished);
        if (reading->error() == QKeychain::EntryNotFound)
            return done({});
        if (reading->error() != QKeychain::NoError)
            return done({std::nullopt, failureOf(*reading)});
        done({reading->textData(), {}});
    });
    job->start();
}
