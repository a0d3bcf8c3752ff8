#include "gui/LogWindow.h"

#include "core/log/EventLog.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QUrl>
#include <QVBoxLayout>

LogWindow::LogWindow(const EventLog &log, const QString &folder, QWidget *parent)
    : QWidget(parent)
    , m_log(log)
    , m_text(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("logWindow"));
    setWindowTitle(QStringLiteral("イベントログ"));
    resize(640, 400);
    m_text->setObjectName(QStringLiteral("logText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto *folderButton = new QPushButton(QStringLiteral("フォルダを開く"), this);
    folderButton->setObjectName(QStringLiteral("folderButton"));
    auto *closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(folderButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto *column = new QVBoxLayout(this);
    column->addWidget(m_text);
    column->addLayout(buttons);

    connect(folderButton, &QPushButton::clicked, this,
            [folder] { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    // The log is written by opening, appending and closing: a change of the
    // file, or of its folder while the file does not exist yet.
    m_watcher.addPath(folder);
    if (QFileInfo::exists(log.path()))
        m_watcher.addPath(log.path());
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &LogWindow::reload);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (m_watcher.files().isEmpty() && m_watcher.addPath(m_log.path()))
            reload();
    });
    reload();
}

void LogWindow::reload()
{
    m_text->setPlainText(m_log.lastLines(shownLines).join(QLatin1Char('\n')));
    m_text->verticalScrollBar()->setValue(m_text->verticalScrollBar()->maximum());
}
