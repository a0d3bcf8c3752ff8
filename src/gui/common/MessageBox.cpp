#include "gui/common/MessageBox.h"

#include <QMessageBox>

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
    auto *box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Sentrova"), text,
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
    return box;
}

void MessageBox::setTestHook(Hook hook)
{
    messageBoxHook() = std::move(hook);
}
