#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

inline double Max(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

// One line per figure, the goal beside it, so run-all.sh output reads as a
// table: "name  value unit   goal: ...  [ok|MISSED]".
inline void Report(const std::string& name, double value, const char* unit, const std::string& goal, bool met)
{
    std::printf("  %-46s %10.3f %-6s goal: %-28s [%s]\n", name.c_str(), value, unit, goal.c_str(), met ? "ok" : "MISSED");
    std::fflush(stdout);
}

inline void Note(const std::string& name, double value, const char* unit)
{
    std::printf("  %-46s %10.3f %-6s\n", name.c_str(), value, unit);
    std::fflush(stdout);
}

}
