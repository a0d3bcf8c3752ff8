#pragma once

#include <QString>

#include <optional>

// The interval box holds seconds as typed. An empty box means 20 seconds; a
// fraction is rounded to the nearest whole number, a half to the even one
// ("15.6" is 16, "2.5" is 2). Text that is not a number gives nothing.
namespace IntervalText
{
constexpr int emptyBoxSeconds = 20;
constexpr int minSeconds = 1;
constexpr int maxSeconds = 65;   // the timer's longest period is 65,535 ms

std::optional<int> seconds(const QString &text);
bool isValid(const std::optional<int> &seconds);
}
