#include "gui/common/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace
{
MessageBox::Hook &messageBoxHook()
{
    static MessageBox::Hook hook;
    return hook;
}
}

QPointer<QMessageBox> MessageBox::show(QWidget *parent, const QString &text)
{
    if (messageBoxHook()) {
        messageBoxHook()(text);
        return nullptr;
    }
    auto *box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Sentrova"), text, QMessageBox::Ok, parent);
    // Some styles put an icon on every dialog button; this box shows its text and OK only.
    box->button(QMessageBox::Ok)->setIcon(QIcon());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
    return box;
}

void MessageBox::setTestHook(Hook hook)
{
    messageBoxHook() = std::move(hook);
}
