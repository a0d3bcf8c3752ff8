#include "gui/MailServerDialog.h"

#include "core/base/InputText.h"
#include "core/log/EventLog.h"
#include "core/notify/MailAccount.h"
#include "core/notify/SmtpReport.h"
#include "gui/common/MessageBox.h"
#include "gui/desktop/Keyring.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

MailServerDialog::MailServerDialog(SmtpReport &sender, const EventLog &log, QWidget *parent)
    : QDialog(parent)
    , m_sender(sender)
    , m_log(log)
{
    setObjectName(QStringLiteral("mailServerDialog"));
    setWindowTitle(QStringLiteral("送信サーバーの詳細"));
    createControls();
    const MailAccount account = MailAccount::stored();
    m_portEdit->setText(QString::number(account.port));
    m_securityCombo->setCurrentIndex(int(account.security));
    m_userEdit->setText(account.user);
    // A usual port follows the encryption chosen; a port of the operator's own stays.
    connect(m_securityCombo, &QComboBox::currentIndexChanged, this, [this](int security) {
        const auto usual = [](int choice) { return int(MailAccount::usualPort(MailAccount::Security(choice))); };
        const std::optional<int> port = InputText::port(m_portEdit->text());
        if (port == usual(0) || port == usual(1) || port == usual(2))
            m_portEdit->setText(QString::number(usual(security)));
    });
}

void MailServerDialog::createControls()
{
    const auto newEdit = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMinimumWidth(200);
        return edit;
    };
    m_portEdit = newEdit("portEdit");
    m_securityCombo = new QComboBox(this);
    m_securityCombo->setObjectName(QStringLiteral("securityCombo"));
    m_securityCombo->addItems({QStringLiteral("なし"), QStringLiteral("STARTTLS"), QStringLiteral("SSL/TLS")});
    m_userEdit = newEdit("userEdit");
    m_passwordEdit = newEdit("passwordEdit");
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_passwordEdit->setPlaceholderText(QStringLiteral("変更しないときは空のまま"));

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("ポート番号"), m_portEdit);
    form->addRow(QStringLiteral("暗号化"), m_securityCombo);
    form->addRow(QStringLiteral("ユーザー名"), m_userEdit);
    form->addRow(QStringLiteral("パスワード"), m_passwordEdit);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    buttons->button(QDialogButtonBox::Cancel)
        ->setText(QStringLiteral("キャンセル"));   // also without Qt's translations
    // Plain buttons, as in the program's other windows.
    for (QAbstractButton *button : buttons->buttons())
        button->setIcon(QIcon());
    form->addRow(buttons);
    form->setSizeConstraint(QLayout::SetFixedSize);
    connect(buttons, &QDialogButtonBox::accepted, this, &MailServerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &MailServerDialog::reject);
}

// The window stays until the store has answered, so that a failure is told over it.
void MailServerDialog::accept()
{
    const std::optional<int> port = InputText::port(m_portEdit->text());
    if (!port)
        return void(MessageBox::show(this, QStringLiteral("ポート番号は1から65535までの数で入力してください。")));
    const MailAccount account{quint16(*port), MailAccount::Security(m_securityCombo->currentIndex()),
                              m_userEdit->text().trimmed()};
    account.store();
    const QString password = m_passwordEdit->text();
    if (password.isEmpty() || account.user.isEmpty())
        return QDialog::accept();
    m_sender.setPassword(account.user, password);
    setEnabled(false);
    Keyring::store(account.user, password, this, [this](const QString &failure) {
        if (!failure.isEmpty()) {
            const QString text = QStringLiteral("パスワードを保存できません (%1)。").arg(failure);
            m_log.write(text);
            MessageBox::show(parentWidget(), text);
        }
        QDialog::accept();
    });
}
