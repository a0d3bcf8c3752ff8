#pragma once

#include <QString>

// Where the program keeps "Sentrova.ini", "MailConfig.ini" and "Sentrova.Log":
// its own folder when it may write there (a copy run from its build or its
// unpacked folder), otherwise the user's data folder, ~/.local/share/Sentrova
// on Linux (created when needed), as for a package installed in /usr/bin.
namespace ProgramFolder
{
QString choose(const QString &applicationFolder);
}
