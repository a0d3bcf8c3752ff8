// Writes a status page with the program's own writer, for the end-to-end
// test with a real web server and browser.
// Usage: write_status_page FOLDER PAGE ADDRESS PORT STATUS [ADDRESS PORT STATUS ...]
#include "log/EventLog.h"
#include "platform/HostGrid.h"
#include "statuspage/StatusPageWriter.h"
#include "statuspage/WwwSettings.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 6 || (args.size() - 3) % 3 != 0) {
        std::fprintf(stderr, "usage: write_status_page FOLDER PAGE ADDRESS PORT STATUS ...\n");
        return 2;
    }
    HostGrid grid;
    for (qsizetype i = 3; i < args.size(); i += 3) {
        const int row = int(i / 3);
        if (row > 1)
            grid.addRow(QString());
        grid.setRow(row);
        for (int column = 0; column < 3; ++column) {
            grid.setColumn(column);
            grid.setText(args.at(i + column));
        }
    }
    WwwSettings settings;
    settings.wwwRoot = args.at(1);
    settings.wwwPage = args.at(2);
    settings.wwwEnabled = QStringLiteral("True");
    const EventLog log(args.at(1));
    StatusPageWriter writer(log, nullptr);
    return writer.write(grid, settings) == StatusPageWriter::Outcome::Written ? 0 : 1;
}
