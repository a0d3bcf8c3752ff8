#pragma once

#include <QtTest>

// A data function's columns, and a test's row of them, each in one line:
// columns<QString, int>("text", "seconds"); then auto [text, seconds] = fetch<QString, int>("text", "seconds").
template<typename... T, typename... Name> void columns(Name... names) { (QTest::addColumn<T>(names), ...); }
template<typename... T, typename... Name> std::tuple<T...> fetch(Name... names)
{
    return {*static_cast<T *>(QTest::qData(names, qMetaTypeId<T>()))...};
}
