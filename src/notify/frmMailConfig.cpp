#include "notify/frmMailConfig.h"

#include "notify/MailNotification.h"
#include "platform/MessageBox.h"
#include "platform/TextCodec.h"

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
constexpr int boxWidth = 260;

QLineEdit *newBox(const char *name, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMinimumWidth(boxWidth);
    return box;
}

QLabel *newLabel(const QString &name, const QString &caption, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}
}

frmMailConfig::frmMailConfig(MailNotification &mail, NotifyFunction notify, QWidget *parent)
    : QDialog(parent)
    , m_mail(&mail)
    , m_notify(std::move(notify))
{
    setObjectName(QStringLiteral("frmMailConfig"));
    setWindowTitle(QStringLiteral("Sentrova 環境設定"));
    createControls();
    mail.load();
    fillBoxes();
}

void frmMailConfig::createControls()
{
    Frame1 = new QGroupBox(QStringLiteral("メール設定"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1 = newLabel(QStringLiteral("Label1"), QStringLiteral("SMTPサーバー"), Frame1);
    txtSMTP = newBox("txtSMTP", Frame1);
    Label3 = newLabel(QStringLiteral("Label3"), QStringLiteral("送信者のアドレス"), Frame1);
    txtSender = newBox("txtSender", Frame1);
    auto *grid1 = new QGridLayout(Frame1);
    grid1->addWidget(Label1, 0, 0);
    grid1->addWidget(txtSMTP, 0, 1);
    grid1->addWidget(Label3, 1, 0);
    grid1->addWidget(txtSender, 1, 1);

    Frame2 = new QGroupBox(QStringLiteral("受信者"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    txtRecepient = newBox("txtRecepient", Frame2);
    txtRecepient2 = newBox("txtRecepient2", Frame2);
    txtRecepient3 = newBox("txtRecepient3", Frame2);
    txtRecepient4 = newBox("txtRecepient4", Frame2);
    txtRecepient5 = newBox("txtRecepient5", Frame2);
    QLineEdit *const recipients[5] = {txtRecepient, txtRecepient2, txtRecepient3, txtRecepient4, txtRecepient5};
    auto *grid2 = new QGridLayout(Frame2);
    for (int i = 0; i < 5; ++i) {
        // One control array: every label is "Label4", told apart by its index.
        Label4[i] = newLabel(QStringLiteral("Label4"), QStringLiteral("受信者%1").arg(i + 1), Frame2);
        Label4[i]->setProperty("index", i);
        grid2->addWidget(Label4[i], i, 0);
        grid2->addWidget(recipients[i], i, 1);
    }
    // Both frames line their boxes up at the same left edge.
    const int labelWidth = std::max(Label3->sizeHint().width(), Label1->sizeHint().width());
    grid1->setColumnMinimumWidth(0, labelWidth);
    grid2->setColumnMinimumWidth(0, labelWidth);

    cmdDisable = new QPushButton(QStringLiteral("送信を停止する"), this);
    cmdDisable->setObjectName(QStringLiteral("cmdDisable"));
    cmdTest = new QPushButton(QStringLiteral("テスト送信"), this);
    cmdTest->setObjectName(QStringLiteral("cmdTest"));
    cmdOk = new QPushButton(QStringLiteral("設定終了"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    QPushButton *const buttons[3] = {cmdDisable, cmdTest, cmdOk};
    QSize buttonSize;
    for (QPushButton *button : buttons) {
        button->setAutoDefault(false);
        buttonSize = buttonSize.expandedTo(button->sizeHint());
    }
    auto *buttonRow = new QHBoxLayout;
    for (QPushButton *button : buttons) {
        button->setFixedSize(buttonSize.width() + 16, buttonSize.height());
        buttonRow->addWidget(button);
        if (button != cmdOk)
            buttonRow->addStretch();
    }

    auto *column = new QVBoxLayout(this);
    column->addWidget(Frame1);
    column->addWidget(Frame2);
    column->addLayout(buttonRow);
    column->setSizeConstraint(QLayout::SetFixedSize);

    QWidget *const focusOrder[] = {txtSMTP, txtSender, txtRecepient, cmdOk, cmdTest, cmdDisable,
                                   txtRecepient2, txtRecepient3, txtRecepient4, txtRecepient5};
    for (std::size_t i = 0; i + 1 < std::size(focusOrder); ++i)
        setTabOrder(focusOrder[i], focusOrder[i + 1]);

    for (QLineEdit *box : {txtSMTP, txtSender, txtRecepient, txtRecepient2, txtRecepient3, txtRecepient4, txtRecepient5})
        box->installEventFilter(this);

    connect(cmdOk, &QPushButton::clicked, this, &frmMailConfig::cmdOkClicked);
    connect(cmdTest, &QPushButton::clicked, this, &frmMailConfig::cmdTestClicked);
    connect(cmdDisable, &QPushButton::clicked, this, &frmMailConfig::cmdDisableClicked);
}

bool frmMailConfig::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto *box = qobject_cast<QLineEdit *>(watched)) {
            // After the event: a mouse press that gave the focus would
            // otherwise place the cursor over the selection.
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmMailConfig::fillBoxes()
{
    const MailSettings &settings = m_mail->settings();
    txtRecepient->setText(settings.Recipient1);
    txtRecepient2->setText(settings.Recipient2);
    txtRecepient3->setText(settings.Recipient3);
    txtRecepient4->setText(settings.Recipient4);
    txtRecepient5->setText(settings.Recipient5);
    txtSender->setText(settings.SenderAddress);
    txtSMTP->setText(settings.SMTPServer);
}

bool frmMailConfig::acceptBoxes()
{
    const MailSettings entered{txtSMTP->text(),       txtSender->text(),     txtRecepient->text(),
                               txtRecepient2->text(), txtRecepient3->text(), txtRecepient4->text(),
                               txtRecepient5->text()};
    // The file cannot carry a double quote: such a value is not taken at all.
    for (const QString &value : {entered.SMTPServer, entered.SenderAddress, entered.Recipient1, entered.Recipient2,
                                 entered.Recipient3, entered.Recipient4, entered.Recipient5}) {
        if (value.contains(QLatin1Char('"'))) {
            MessageBox::show(this, QStringLiteral("設定値に \" (ダブルクォート) は使用できません。"));
            return false;
        }
        // Nor a character outside code page 932: it would be saved as another.
        if (!TextCodec::canEncode(value)) {
            MessageBox::show(this, QStringLiteral("設定値に使用できない文字が含まれています。"));
            return false;
        }
    }
    // Taken before the check: values of a refused entry stay in memory,
    // unsaved. Blanks count as filled.
    m_mail->setSettings(entered);
    if (entered.SenderAddress.isEmpty() || entered.Recipient1.isEmpty() || entered.SMTPServer.isEmpty()) {
        MessageBox::show(this, QStringLiteral("必要なパラメータがありません!"));
        return false;
    }
    return true;
}

void frmMailConfig::cmdOkClicked()
{
    if (!m_mail || !acceptBoxes())
        return;
    m_mail->setOn(true);
    m_mail->save();
    close();
}

void frmMailConfig::cmdTestClicked()
{
    if (!m_mail || !acceptBoxes())
        return;
    m_mail->setOn(true);
    m_mail->save();
    if (!m_notify)
        return;
    QPointer<frmMailConfig> self(this);
    m_notify(QStringLiteral("システムテスト"), [self](bool accepted) {
        MessageBox::show(self.data(), accepted ? QStringLiteral("メッセージを送信しました。!")
                                               : QStringLiteral("メッセージの送信に失敗しました。イベントログを確認してください。"));
    });
}

void frmMailConfig::cmdDisableClicked()
{
    if (m_mail)
        m_mail->setOn(false);
    close();
}
