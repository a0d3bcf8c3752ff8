#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The preset list of the host dialog: well-known services and the port each
// puts into the port box. The last entry is the placeholder that asks the
// operator to choose and puts nothing.
namespace PortPresets
{
constexpr int placeholderIndex = 7;

// The entries in list order; their spaces are part of the labels.
QStringList labels();
// The port text of entry index, or nothing for the placeholder and for an
// index outside the list.
std::optional<QString> port(int index);
}
