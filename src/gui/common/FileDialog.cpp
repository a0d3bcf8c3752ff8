#include "gui/common/FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace
{
FileDialog::Hook &fileDialogHook()
{
    static FileDialog::Hook hook;
    return hook;
}
}

void FileDialog::chooseFolder(QWidget *parent, const QString &start, std::function<void(const QString &folder)> done)
{
    if (fileDialogHook()) {
        done(fileDialogHook()());
        return;
    }
    QString existing = QDir::cleanPath(QDir(start).absolutePath());
    while (!QFileInfo(existing).isDir() && existing != QFileInfo(existing).path())
        existing = QFileInfo(existing).path();
    auto *dialog = new QFileDialog(parent, QString(), existing);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    QObject *context = parent ? static_cast<QObject *>(parent) : dialog;
    QObject::connect(dialog, &QFileDialog::finished, context, [dialog, done = std::move(done)](int result) {
        const QStringList folders = dialog->selectedFiles();
        done(result == QDialog::Accepted && !folders.isEmpty() ? folders.first() : QString());
    });
    dialog->open();
}

void FileDialog::setTestHook(Hook hook)
{
    fileDialogHook() = std::move(hook);
}
