// The program's own pieces for the end-to-end tests against real peers:
//   e2e_tool mail PORT FOLDER HOST   sends one failure report to 127.0.0.1:PORT,
//                                    logging into FOLDER; exit 0 when accepted
//   e2e_tool page FOLDER PAGE ADDRESS PORT STATUS [ADDRESS PORT STATUS ...]
//                                    writes a status page; exit 0 when written
#include "core/base/Clock.h"
#include "core/log/EventLog.h"
#include "core/notify/SmtpReport.h"
#include "core/statuspage/StatusPageSettings.h"
#include "core/statuspage/StatusPageWriter.h"

#include <QCoreApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == "page" && args.size() % 3 == 1) {
        QList<Host> hosts;
        for (qsizetype i = 4; i + 2 < args.size(); i += 3)
            hosts.append({args.at(i), args.at(i + 1), args.at(i + 2)});
        StatusPageSettings settings{args.at(2), args.at(3), QStringLiteral("True")};
        const EventLog log(args.at(2));
        return StatusPageWriter(log).write(hosts, settings) == StatusPageWriter::Outcome::Written ? 0 : 1;
    }
    if (args.value(1) != "mail" || args.size() != 5)
        return 2;
    Clock::setFixedTime(QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7)));   // the checker knows the body
    const EventLog log(args.at(3));
    const MailRoute route{"127.0.0.1", "sentrova@example.org", {"ops@example.org", "", "boss@example.org"}};
    SmtpReport report(route, log);
    report.setPort(args.at(2).toUShort());
    report.setStepTimeout(10000);
    report.send(args.at(4), [](bool accepted) { QCoreApplication::exit(accepted ? 0 : 1); });
    QTimer::singleShot(60000, &app, [] { QCoreApplication::exit(3); });
    return app.exec();
}
