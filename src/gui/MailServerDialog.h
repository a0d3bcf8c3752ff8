#pragma once

#include <QDialog>

class EventLog;
class QComboBox;
class QLineEdit;
class SmtpReport;

// The details of the mail server: port, encryption and the account to sign
// in with. Its OK stores them per user and the password in the desktop's
// secret store; the password also goes to the sender at once, so that it
// serves this run even where no store answers.
class MailServerDialog : public QDialog
{
    Q_OBJECT

public:
    MailServerDialog(SmtpReport &sender, const EventLog &log, QWidget *parent = nullptr);

private:
    void createControls();
    void accept() override;

    SmtpReport &m_sender;
    const EventLog &m_log;
    QLineEdit *m_portEdit = nullptr;
    QComboBox *m_securityCombo = nullptr;
    QLineEdit *m_userEdit = nullptr;
    QLineEdit *m_passwordEdit = nullptr;
};
