#include "gui/MailDialog.h"

#include "core/base/SettingsStore.h"
#include "core/notify/MailNotification.h"
#include "gui/MailServerDialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace
{
QLineEdit *newEdit(const QString &name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMinimumWidth(260);
    return edit;
}

QPushButton *newButton(const char *name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}
}

MailDialog::MailDialog(MailNotification &mail, const EventLog &log, QWidget *parent)
    : QDialog(parent)
    , m_mail(mail)
    , m_log(log)
{
    setObjectName(QStringLiteral("mailDialog"));
    setWindowTitle(QStringLiteral("Sentrova 環境設定"));
    createControls();
    mail.load();
    const MailRoute &route = mail.route();
    m_serverEdit->setText(route.server);
    m_senderEdit->setText(route.sender);
    for (std::size_t i = 0; i < m_recipientEdits.size(); ++i)
        m_recipientEdits.at(i)->setText(route.recipients.at(i));
}

void MailDialog::createControls()
{
    auto *column = new QVBoxLayout(this);
    addFrames(column);
    column->addLayout(createButtonRow());
    column->setSizeConstraint(QLayout::SetFixedSize);
    for (QLineEdit *edit : findChildren<QLineEdit *>())
        edit->installEventFilter(this);
}

void MailDialog::addFrames(QVBoxLayout *column)
{
    auto *serverFrame = new QGroupBox(QStringLiteral("メール設定"), this);
    auto *serverLabel = new QLabel(QStringLiteral("SMTPサーバー"), serverFrame);
    auto *senderLabel = new QLabel(QStringLiteral("送信者のアドレス"), serverFrame);
    m_serverEdit = newEdit(QStringLiteral("serverEdit"), serverFrame);
    m_senderEdit = newEdit(QStringLiteral("senderEdit"), serverFrame);
    auto *serverGrid = new QGridLayout(serverFrame);
    serverGrid->addWidget(serverLabel, 0, 0);
    serverGrid->addWidget(m_serverEdit, 0, 1);
    serverGrid->addWidget(senderLabel, 1, 0);
    serverGrid->addWidget(m_senderEdit, 1, 1);
    auto *detailsButton = newButton("serverDetailsButton", QStringLiteral("送信サーバーの詳細..."), serverFrame);
    serverGrid->addWidget(detailsButton, 2, 1, Qt::AlignRight);
    connect(detailsButton, &QPushButton::clicked, this, [this] {
        auto *details = new MailServerDialog(m_mail.sender(), m_log, this);
        details->setAttribute(Qt::WA_DeleteOnClose);
        details->open();
    });

    auto *recipientFrame = new QGroupBox(QStringLiteral("受信者"), this);
    auto *recipientGrid = new QGridLayout(recipientFrame);
    for (int i = 0; i < 5; ++i) {
        m_recipientEdits.at(i) = newEdit(QStringLiteral("recipientEdit%1").arg(i + 1), recipientFrame);
        recipientGrid->addWidget(new QLabel(QStringLiteral("受信者%1").arg(i + 1), recipientFrame), i, 0);
        recipientGrid->addWidget(m_recipientEdits.at(i), i, 1);
    }
    // Both frames line their boxes up at the same left edge.
    const int labelWidth = std::max(senderLabel->sizeHint().width(), serverLabel->sizeHint().width());
    serverGrid->setColumnMinimumWidth(0, labelWidth);
    recipientGrid->setColumnMinimumWidth(0, labelWidth);
    column->addWidget(serverFrame);
    column->addWidget(recipientFrame);

    m_onChangeCheck = new QCheckBox(QStringLiteral("状態が変わったときだけ報告する"), this);
    m_onChangeCheck->setObjectName(QStringLiteral("onChangeCheck"));
    m_onChangeCheck->setChecked(MailNotification::reportsChangesOnly());
    connect(m_onChangeCheck, &QCheckBox::toggled, this,
            [](bool on) { SettingsStore::setOn(Setting::ReportOnChange, on); });
    column->addWidget(m_onChangeCheck);
}

QHBoxLayout *MailDialog::createButtonRow()
{
    auto *disableButton = newButton("disableButton", QStringLiteral("送信を停止する"), this);
    auto *testButton = newButton("testButton", QStringLiteral("テスト送信"), this);
    auto *okButton = newButton("okButton", QStringLiteral("設定終了"), this);
    QPushButton *const buttons[3] = {disableButton, testButton, okButton};
    QSize buttonSize;
    for (QPushButton *button : buttons)
        buttonSize = buttonSize.expandedTo(button->sizeHint());
    auto *buttonRow = new QHBoxLayout;
    for (QPushButton *button : buttons) {
        button->setFixedSize(buttonSize.width() + 16, buttonSize.height());
        buttonRow->addWidget(button);
        if (button != okButton)
            buttonRow->addStretch();
    }
    QWidget *const focusOrder[] = {m_serverEdit,
                                   findChild<QPushButton *>(QStringLiteral("serverDetailsButton")),
                                   m_senderEdit,
                                   m_recipientEdits[0],
                                   okButton,
                                   testButton,
                                   disableButton,
                                   m_recipientEdits[1],
                                   m_recipientEdits[2],
                                   m_recipientEdits[3],
                                   m_recipientEdits[4],
                                   m_onChangeCheck};
    for (std::size_t i = 0; i + 1 < std::size(focusOrder); ++i)
        setTabOrder(focusOrder[i], focusOrder[i + 1]);

    connect(okButton, &QPushButton::clicked, this, [this] {
        if (m_mail.confirm(entered()))
            close();
    });
    connect(testButton, &QPushButton::clicked, this, [this] { m_mail.sendTest(entered()); });
    connect(disableButton, &QPushButton::clicked, this, [this] {
        m_mail.switchOff();
        close();
    });
    return buttonRow;
}

// Typing into a box replaces its old value: the focus selects all of it.
bool MailDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (auto *edit = qobject_cast<QLineEdit *>(watched); edit && event->type() == QEvent::FocusIn) {
        // After the event: a mouse press that gave the focus would otherwise
        // place the cursor over the selection.
        QTimer::singleShot(0, edit, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

MailRoute MailDialog::entered() const
{
    MailRoute route{m_serverEdit->text(), m_senderEdit->text(), {}};
    for (std::size_t i = 0; i < m_recipientEdits.size(); ++i)
        route.recipients.at(i) = m_recipientEdits.at(i)->text();
    return route;
}
