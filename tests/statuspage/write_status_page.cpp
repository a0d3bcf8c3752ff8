// Writes a status page with the program's own writer, for the end-to-end
// test with a real web server and browser.
// Usage: write_status_page FOLDER PAGE ADDRESS PORT STATUS [ADDRESS PORT STATUS ...]
#include "log/EventLog.h"
#include "platform/HostGrid.h"
#include "statuspage/StatusPageWriter.h"
#include "statuspage/WwwSettings.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 6 || args.size() % 3 != 0)
        return 2;
    HostGrid grid;
    for (int row = 1; row < args.size() / 3; ++row) {
        if (row > 1)
            grid.addRow(QString());
        grid.setRow(row);
        for (int column = 0; column < 3; ++column) {
            grid.setColumn(column);
            grid.setText(args.at(row * 3 + column));
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
