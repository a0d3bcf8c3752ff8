#pragma once

// Qt aborts with a long message when no display can be opened; an operator
// who starts the program over ssh or from a service gets one clear line.
namespace DisplayCheck
{
// True when a graphical desktop (X11 or Wayland) or an explicit Qt platform
// is named in the environment. Always true outside Linux and the BSDs.
bool hasDisplay();
const char *missingDisplayMessage();
}
