#include "gui/common/FileDialog.h"

#include <QFileDialog>

namespace
{
FileDialog::Hook &fileDialogHook()
{
    static FileDialog::Hook hook;
    return hook;
}
}

void FileDialog::chooseFile(QWidget *parent, std::function<void(const QString &chosenFile)> done)
{
    if (fileDialogHook()) {
        done(fileDialogHook()());
        return;
    }
    // No filter, title or start folder of our own: the platform's defaults.
    auto *dialog = new QFileDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    QObject *context = parent ? static_cast<QObject *>(parent) : dialog;
    QObject::connect(dialog, &QFileDialog::finished, context, [dialog, done = std::move(done)](int result) {
        const QStringList files = dialog->selectedFiles();
        done(result == QDialog::Accepted && !files.isEmpty() ? files.first() : QString());
    });
    dialog->open();
}

void FileDialog::setTestHook(Hook hook)
{
    fileDialogHook() = std::move(hook);
}
