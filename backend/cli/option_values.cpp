#include "cli/option_values.h"

#include "common/number_format.h"

#include <cmath>
#include <vector>

namespace vrn
{

namespace
{

// A whole number that fits an int.
bool ParseWholeNumber(const std::string& text, double& value)
{
    return ParseNumber(text, value) && value == std::floor(value) && std::fabs(value) <= 2147483647.0;
}

} // namespace

namespace cli
{

Setter Letter(const char* accepted, std::function<void(BackendOptions&, char)> apply)
{
    return [accepted, apply](BackendOptions& o, const std::string& v) -> std::string
    {
        if (v.size() == 1 && std::string(accepted).find(v[0]) != std::string::npos)
        {
            apply(o, v[0]);
            return {};
        }
        std::string list;
        for (const char* c = accepted; *c; ++c)
            list += std::string(list.empty() ? "" : ", ") + *c;
        return "one of " + list;
    };
}

Setter YesNo(bool BackendOptions::*member)
{
    return Letter("yn", [member](BackendOptions& o, char c) { o.*member = c == 'y'; });
}

Setter Number(double BackendOptions::*member, double min, bool strictMin, double max, const char* what)
{
    return [=](BackendOptions& o, const std::string& v) -> std::string
    {
        double x = 0;
        if (ParseNumber(v, x) && (strictMin ? x > min : x >= min) && x <= max)
        {
            o.*member = x;
            return {};
        }
        return what;
    };
}

Setter Integer(const char* what)
{
    return [what](BackendOptions&, const std::string& v) -> std::string
    {
        double x = 0;
        return ParseWholeNumber(v, x) ? std::string() : std::string(what);
    };
}

Setter Path(std::string BackendOptions::*member)
{
    return [member](BackendOptions& o, const std::string& v) -> std::string
    {
        o.*member = v;
        return {};
    };
}

std::string SetOrder(BackendOptions& o, const std::string& v)
{
    const char* accepted = "objective numbers 1 to 4 joined by '-', each at most once, for instance 4-2-3-1";
    std::vector<int> order;
    size_t i = 0;
    while (i < v.size())
    {
        if (v[i] < '1' || v[i] > '4')
            return accepted;
        const int objective = v[i] - '0';
        for (int seen : order)
            if (seen == objective)
                return accepted;
        order.push_back(objective);
        ++i;
        if (i < v.size() && (v[i] != '-' || i + 1 == v.size()))
            return accepted;
        ++i;
    }
    if (order.empty())
        return accepted;
    o.order = order;
    o.orderGiven = true;
    return {};
}

std::string SetSeed(BackendOptions& o, const std::string& v)
{
    double x = 0;
    if (!ParseWholeNumber(v, x))
        return "a whole number between -2147483647 and 2147483647";
    o.seed = static_cast<long long>(x);
    o.seedGiven = true;
    return {};
}

} // namespace cli

} // namespace vrn
