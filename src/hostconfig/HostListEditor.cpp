#include "hostconfig/HostListEditor.h"

#include "monitor/HostListFile.h"
#include "platform/HostGrid.h"
#include "platform/MessageBox.h"
#include "platform/TextCodec.h"

#include <QWidget>

namespace
{
const QString noAddressMessage = QStringLiteral("IPアドレスが未入力です。");
const QString noPortMessage = QStringLiteral(
    "ポート番号が選ばれていません。ポート番号をプルダウンから選ぶか、右のテキストボックスに直接入力してください。");
const QString doubleQuoteMessage = QStringLiteral("ホスト名とポート番号に \" (ダブルクォート) は使用できません。");
const QString noRowMessage = QStringLiteral("ホスト名を選択してから削除してください。");

bool rowExists(const HostGrid &grid, int row)
{
    return row >= 1 && row < grid.rowCount();
}

QString cell(HostGrid &grid, int row, int column)
{
    grid.setRow(row);
    grid.setColumn(column);
    return grid.text();
}

// Writes only into a host row that exists: the grid keeps its current cell
// when asked for a row it does not have, so an unchecked write would land in
// whatever row happens to be current.
void writeCell(HostGrid &grid, int row, int column, const QString &text)
{
    if (!rowExists(grid, row))
        return;
    grid.setRow(row);
    grid.setColumn(column);
    grid.setText(text);
}

void makeCurrent(HostGrid &grid, int row)
{
    grid.setRow(row);
    grid.setColumn(0);
}

QString refusal(const QString &address, const QString &port)
{
    if (address.isEmpty())
        return noAddressMessage;
    // A host without a port can never be probed, and an empty port in row 1
    // marks the row as free for the next add.
    if (port.isEmpty())
        return noPortMessage;
    // The host list file has no way to store a double quote.
    if (address.contains(QLatin1Char('"')) || port.contains(QLatin1Char('"')))
        return doubleQuoteMessage;
    // Nor any character outside code page 932: it would be saved as another.
    if (!TextCodec::canEncode(address) || !TextCodec::canEncode(port))
        return QStringLiteral("ホスト名とポート番号に使用できない文字が含まれています。");
    return {};
}
}

HostListEditor::HostListEditor(HostGrid &ownGrid, HostGrid *mainGrid, const QString &programFolder,
                               LogFunction logEvent, QWidget *messageParent)
    : m_own(ownGrid)
    , m_main(mainGrid)
    , m_programFolder(programFolder)
    , m_logEvent(std::move(logEvent))
    , m_messageParent(messageParent)
{
}

void HostListEditor::LoadHostList()
{
    // A missing or broken file leaves the rows read so far; the dialog says
    // nothing about it.
    HostListFile::load(m_programFolder, m_own);
}

void HostListEditor::SaveHostList()
{
    // The file writer walks the grid through its current cell; the selected
    // row must survive it.
    const int row = m_own.row();
    const int column = m_own.column();
    const bool saved = HostListFile::save(m_programFolder, m_own);
    m_own.setRow(row);
    m_own.setColumn(column);
    if (saved)
        return;
    if (m_logEvent)
        m_logEvent(QStringLiteral("環境設定ファイルの保存に失敗しました。"));
    MessageBox::show(m_messageParent, QStringLiteral("環境ファイルのエラーです。サポートにご連絡ください。"));
}

bool HostListEditor::add(const QString &address, const QString &port)
{
    const QString message = refusal(address, port);
    if (!message.isEmpty()) {
        MessageBox::show(m_messageParent, message);
        return false;
    }

    if (cell(m_own, 1, 1).isEmpty()) {
        writeCell(m_own, 1, 0, address);
        writeCell(m_own, 1, 1, port);
        makeCurrent(m_own, 1);
        if (m_main) {
            writeCell(*m_main, 1, 0, address);
            writeCell(*m_main, 1, 1, port);
            // A status shown there belonged to the host that was there before.
            writeCell(*m_main, 1, 2, QString());
            makeCurrent(*m_main, 1);
        }
    } else {
        m_own.addRow(address);
        const int row = m_own.rowCount() - 1;
        writeCell(m_own, row, 1, port);
        makeCurrent(m_own, row);
        if (m_main) {
            // The port goes into the main grid's own new row: when the file
            // was edited by hand after start-up the two grids differ in
            // length, and the dialog's row number would hit another host.
            m_main->addRow(address);
            const int mainRow = m_main->rowCount() - 1;
            writeCell(*m_main, mainRow, 1, port);
            makeCurrent(*m_main, mainRow);
            m_main->redraw();
        }
    }
    SaveHostList();
    return true;
}

void HostListEditor::deleteSelected()
{
    // The header row is current after every delete and after a click on the
    // header; it is never a host to delete.
    const int row = m_own.row();
    if (!m_rowClicked || !rowExists(m_own, row)) {
        MessageBox::show(m_messageParent, noRowMessage);
    } else if (m_own.rowCount() == 2) {
        // An empty list is a blank row 1.
        blankRowOne(m_own);
        if (m_main)
            blankRowOne(*m_main);
    } else {
        m_own.removeRow(row);
        if (m_main && rowExists(*m_main, row)) {
            if (m_main->rowCount() == 2)
                blankRowOne(*m_main);
            else
                m_main->removeRow(row);
            m_main->redraw();
        }
    }
    m_rowClicked = false;
    makeCurrent(m_own, 0);
    if (m_main)
        makeCurrent(*m_main, 0);
    SaveHostList();
}

void HostListEditor::blankRowOne(HostGrid &grid)
{
    for (int column = 0; column < 3; ++column)
        writeCell(grid, 1, column, QString());
    grid.redraw();
}
