#pragma once

// Name lookups given up while under way, by a probe or by the mail report.
// Qt's resolver thread may still wait on such a lookup, and Qt's end of the
// process waits for that thread as long as the system's resolver does: 30 s
// and more.
namespace AbandonedLookups
{
inline bool &flag()
{
    static bool any = false;
    return any;
}
inline void note()
{
    flag() = true;
}
inline bool any()
{
    return flag();
}
}
