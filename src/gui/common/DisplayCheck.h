#pragma once

// Qt aborts with a long message when no display can be opened; an operator
// who starts the program over ssh, from a service or with a stale DISPLAY
// gets one clear line.
namespace DisplayCheck
{
// True when an explicit Qt platform is named in the environment, or when the
// X11 or Wayland display the environment names answers. Always true outside
// Linux and the BSDs.
bool hasDisplay();
const char *missingDisplayMessage();
}
