#pragma once

#include <QDialog>
#include <QPointer>

#include <functional>

class MailNotification;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The mail settings window, modeless: the server, the sender and up to five
// recipients of failure reports; save, send a test report, or switch
// notification off. Opening it reloads the settings file.
class frmMailConfig : public QDialog
{
    Q_OBJECT

public:
    // Sends a report naming downSystem; done(accepted) runs when it is over.
    using NotifyFunction = std::function<void(const QString &downSystem, std::function<void(bool accepted)> done)>;

    frmMailConfig(MailNotification &mail, NotifyFunction notify, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void fillBoxes();
    // Takes the boxes into the settings; false (and a message) when a value
    // cannot be stored or a required one is missing.
    bool acceptBoxes();

    void cmdOkClicked();
    void cmdTestClicked();
    void cmdDisableClicked();

    QPointer<MailNotification> m_mail;
    NotifyFunction m_notify;

    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *txtSMTP = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *txtSender = nullptr;
    QGroupBox *Frame2 = nullptr;
    QLabel *Label4[5] = {};
    QLineEdit *txtRecepient = nullptr;
    QLineEdit *txtRecepient2 = nullptr;
    QLineEdit *txtRecepient3 = nullptr;
    QLineEdit *txtRecepient4 = nullptr;
    QLineEdit *txtRecepient5 = nullptr;
    QPushButton *cmdDisable = nullptr;
    QPushButton *cmdTest = nullptr;
    QPushButton *cmdOk = nullptr;
};
