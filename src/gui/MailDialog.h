#pragma once

#include <QDialog>

#include <array>

class EventLog;
class MailNotification;
class QCheckBox;
class QHBoxLayout;
class QLineEdit;
class QVBoxLayout;
struct MailRoute;

// The mail settings window: the server, the sender and up to five recipients
// of failure reports; save them, send a test report, or switch notification
// off; the server's port, encryption and account in a window of their own.
// Opening it reads the settings file again.
class MailDialog : public QDialog
{
    Q_OBJECT

public:
    MailDialog(MailNotification &mail, const EventLog &log, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void addFrames(QVBoxLayout *column);
    QHBoxLayout *createButtonRow();
    MailRoute entered() const;

    MailNotification &m_mail;
    const EventLog &m_log;
    QLineEdit *m_serverEdit = nullptr;
    QLineEdit *m_senderEdit = nullptr;
    std::array<QLineEdit *, 5> m_recipientEdits{};
    QCheckBox *m_onChangeCheck = nullptr;
};
