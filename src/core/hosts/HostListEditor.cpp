#include "core/hosts/HostListEditor.h"

#include "core/base/InputText.h"
#include "core/base/SafeSave.h"
#include "core/base/TextCodec.h"
#include "core/hosts/HostListFile.h"
#include "core/log/EventLog.h"

namespace
{
QString refusal(const QString &address, const QString &port)
{
    if (address.isEmpty())
        return QStringLiteral("IPアドレスが未入力です。");
    // A host without a port can never be probed, and an empty port in the
    // first row marks the row as free for the next add.
    if (port.isEmpty())
        return QStringLiteral("ポート番号が選ばれていません。ポート番号をプルダウンから選ぶか、"
                              "右のテキストボックスに直接入力してください。");
    // The longest host name there is; a longer text would not fit a mail line.
    if (address.size() > 253)
        return QStringLiteral("ホスト名は253文字以内で入力してください。");
    // The host list file has no way to store a double quote,
    if (address.contains(QLatin1Char('"')) || port.contains(QLatin1Char('"')))
        return QStringLiteral("ホスト名とポート番号に \" (ダブルクォート) は使用できません。");
    // nor a character outside code page 932: it would be saved as another.
    if (!TextCodec::canEncode(address) || !TextCodec::canEncode(port))
        return QStringLiteral("ホスト名とポート番号に使用できない文字が含まれています。");
    // The pass reads the port as the number the text begins with ("25/smtp").
    if (!InputText::port(port))
        return QStringLiteral("ポート番号は1から65535までの数で入力してください。");
    return {};
}
}

HostListEditor::HostListEditor(HostTableModel &mainHosts, const QString &folder, const EventLog &log, QObject *parent)
    : QObject(parent)
    , m_main(&mainHosts)
    , m_folder(folder)
    , m_log(log)
{
    // A missing or broken file leaves the rows read so far, silently. No row
    // looks selected until one is picked.
    HostListFile::load(m_folder, m_own);
}

bool HostListEditor::add(const QString &address, const QString &port)
{
    const QString reason = refusal(address, port);
    if (!reason.isEmpty()) {
        Q_EMIT userMessage(reason);
        return false;
    }
    m_own.add(address, port);   // the pick stays where it was
    if (m_main)
        m_main->setCursor(m_main->add(address, port));
    save();
    return true;
}

void HostListEditor::deleteSelected()
{
    const int row = m_own.cursor();
    if (row < 0) {   // only a pick puts the cursor on a row
        Q_EMIT userMessage(QStringLiteral("ホスト名を選択してから削除してください。"));
    } else {
        m_own.remove(row);
        if (m_main)
            m_main->remove(row);
    }
    m_own.setCursor(-1);
    if (m_main)
        m_main->setCursor(-1);
    save();
}

void HostListEditor::select(int row)
{
    m_own.setCursor(row);
}

void HostListEditor::save()
{
    const std::optional<SafeSave::Failure> failure = HostListFile::save(m_folder, m_own);
    if (!failure)
        return;
    SafeSave::warn(*failure);
    m_log.write(SafeSave::failureLogText);
    Q_EMIT userMessage(SafeSave::failureMessage);
}
