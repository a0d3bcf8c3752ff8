// Sends one failure report through the program's sender, for the end-to-end
// test against a real SMTP server: smtp_report_send PORT FOLDER HOST
// Exits 0 when the server accepted it, 1 when not.
#include "log/EventLog.h"
#include "notify/SmtpReport.h"
#include "platform/Clock.h"

#include <QCoreApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    Clock::setFixedTime(QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7)));   // the checker knows body line 4
    EventLog log(args.at(2));
    const MailSettings settings{"127.0.0.1", "sentrova@example.org", "ops@example.org", "", "boss@example.org", "", ""};
    SmtpReport report([&settings] { return settings; }, [&log](const QString &text) { log.LogEvent(text); });
    report.setPort(args.at(1).toUShort());
    report.setStepTimeout(10000);
    report.send(args.at(3), [](bool accepted) { QCoreApplication::exit(accepted ? 0 : 1); });
    QTimer::singleShot(60000, &app, [] { QCoreApplication::exit(3); });
    return app.exec();
}
