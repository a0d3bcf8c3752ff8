#include "support/TestFolder.h"

#include "platform/MessageBox.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>

TestFolder::TestFolder()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    MessageBox::setTestHook([this](const QString &text) { m_boxes.append(text); });
}

TestFolder::~TestFolder()
{
    MessageBox::setTestHook({});
}

QString TestFolder::filePath(const QString &name) const
{
    return QDir(m_dir.path()).filePath(name);
}

QByteArray TestFolder::readBytes(const QString &name) const
{
    QFile file(filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestFolder::writeBytes(const QString &name, const QByteArray &bytes) const
{
    QFile file(filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QStringList TestFolder::logMessages() const
{
    static const QRegularExpression stamp(QStringLiteral("^\\d{4}/\\d{2}/\\d{2} \\d{1,2}:\\d{2}:\\d{2}   "));
    QStringList messages;
    const QString text = TextCodec::decode(readBytes(QStringLiteral("Sentrova.Log")));
    for (QString line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        line.remove(stamp);
        messages.append(line);
    }
    return messages;
}

QStringList TestFolder::takeMessageBoxes()
{
    return std::exchange(m_boxes, {});
}
