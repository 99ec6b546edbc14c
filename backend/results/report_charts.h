// The pictures of the report page, drawn as inline SVG (no script, no file from elsewhere).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vrn
{

// One part of every bar of a stacked bar chart.
struct BarSeries
{
    std::string name;
    std::string color;          // a CSS colour
    std::vector<size_t> counts; // one per bar
};

struct BarChart
{
    std::string description; // for screen readers and the picture's tooltip
    std::vector<std::string> labels;
    std::vector<BarSeries> series; // stacked from the bottom, in this order
    // A bar that may be drawn broken, when it is more than twice as tall as every other: the bar of
    // unchanged cells would otherwise flatten all the others. Its count is written in full above it.
    size_t breakableBar = static_cast<size_t>(-1);
};

std::string BarChartSvg(const BarChart& chart);

// One bar of a chart of signed values around 0 (the relative change of a total, in percent).
struct SignedBar
{
    std::string label;
    double value = 0;
    std::string valueText;
};

// The bars are drawn to one scale, at least `smallestReach` at full length (so that changes that are
// all tiny do not look large); the reach is written under the axis at both ends.
std::string SignedBarChartSvg(const std::string& description, const std::vector<SignedBar>& bars,
                              double smallestReach, const std::string& unit);

} // namespace vrn
