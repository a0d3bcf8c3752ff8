#pragma once

#include "core/base/TextCodec.h"

#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

// A fresh program folder and a fresh per-user settings store for one test.
class TestFolder
{
public:
    TestFolder() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path()); }

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    QByteArray readBytes(const QString &name) const
    {
        QFile file(filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeBytes(const QString &name, const QByteArray &bytes) const
    {
        QFile file(filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
    }
    // The messages of "Sentrova.Log", without date and time, in order.
    QStringList logMessages() const
    {
        static const QRegularExpression stamp(QStringLiteral("^\\d{4}/\\d{2}/\\d{2} \\d{1,2}:\\d{2}:\\d{2}   "));
        return TextCodec::decode(readBytes("Sentrova.Log")).split("\r\n", Qt::SkipEmptyParts).replaceInStrings(stamp, QString());
    }
    QStringList logTail(qsizetype n) const { return logMessages().mid(qMax(0, logMessages().size() - n)); }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_settings;
};
