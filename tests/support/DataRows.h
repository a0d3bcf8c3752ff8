#pragma once

#include <QtTest>

// A data function's columns in one line, columns<QString, int>("text", "seconds"), and a test's row: fetch<QString, int>("text", "seconds").
template<typename... T, typename... Name> void columns(Name... names) { (QTest::addColumn<T>(names), ...); }
template<typename... T, typename... Name> std::tuple<T...> fetch(Name... names)
{
    return {*static_cast<T *>(QTest::qData(names, qMetaTypeId<T>()))...};
}
