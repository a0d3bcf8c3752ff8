#pragma once

#include <QtCore>

#include <iconv.h>

// Code page 932 by the C library's converter, not the program's, so that expected bytes are not made by the code they check.
inline QByteArray iconvert(QByteArray in, const char *to, const char *from)
{
    const iconv_t converter = iconv_open(to, from);
    QByteArray out(in.size() * 4, '\0');
    char *source = in.data(), *target = out.data();
    size_t sourceLeft = in.size(), targetLeft = out.size();
    if (converter == iconv_t(-1) || iconv(converter, &source, &sourceLeft, &target, &targetLeft) == size_t(-1))
        qFatal("iconv cannot convert to %s", to);
    iconv_close(converter);
    return out.first(out.size() - targetLeft);
}
inline QByteArray cp932(const QString &text) { return iconvert(text.toUtf8(), "CP932", "UTF-8"); }
inline QString fromCp932(const QByteArray &bytes) { return QString::fromUtf8(iconvert(bytes, "UTF-8", "CP932")); }

// A fresh program folder and a fresh per-user settings store for one test. A file name may also be an absolute path.
class TestFolder
{
public:
    TestFolder() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path()); }

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return QDir(m_dir.path()).filePath(name); }
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
        return fromCp932(readBytes("Sentrova.Log")).split("\r\n", Qt::SkipEmptyParts).replaceInStrings(stamp, QString());
    }
    QStringList logTail(qsizetype n) const { return logMessages().mid(qMax(0, logMessages().size() - n)); }
    // A value of the per-user settings file as it stands there, read past the program.
    static QString setting(const QString &key) { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Sentrova", "Sentrova").value(key).toString(); }
    static QString settingsFile() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Sentrova", "Sentrova").fileName(); }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_settings;
};
