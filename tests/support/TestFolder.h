#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

// A fresh program folder and a fresh per-user settings store for one test;
// message boxes are recorded instead of shown. Everything is undone when the
// object goes away.
class TestFolder
{
public:
    TestFolder();
    ~TestFolder();

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const;

    QByteArray readBytes(const QString &name) const;
    void writeBytes(const QString &name, const QByteArray &bytes) const;

    // The messages of "Sentrova.Log", without date and time, in order.
    QStringList logMessages() const;

    // Message boxes shown since the last call.
    QStringList takeMessageBoxes();

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_settingsDir;
    QStringList m_boxes;
};
