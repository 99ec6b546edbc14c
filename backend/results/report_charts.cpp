#include "results/report_charts.h"

#include "common/escape_text.h"
#include "common/number_format.h"

#include <algorithm>
#include <cmath>

namespace vrn
{

namespace
{

constexpr double kWidth = 680;
constexpr double kLeft = 64;
constexpr double kRight = 16;
constexpr double kTop = 34;
constexpr double kPlotHeight = 190;
constexpr double kBottom = 40;

// A coordinate: five significant digits are a tenth of a pixel at this size.
std::string Px(double value)
{
    return FormatNumber(value, 5);
}

std::string Text(double x, double y, const std::string& text, const char* anchor = "middle",
                 const char* cls = nullptr)
{
    return "<text x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" text-anchor=\"" + anchor + "\"" +
           (cls ? std::string(" class=\"") + cls + "\"" : std::string()) + ">" + EscapeHtml(text) + "</text>";
}

std::string Rect(double x, double y, double width, double height, const std::string& color)
{
    return "<rect x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" width=\"" + Px(width) + "\" height=\"" +
           Px(height) + "\" fill=\"" + EscapeHtml(color) + "\"/>";
}

std::string Line(double x1, double y1, double x2, double y2, const char* cls)
{
    return "<line x1=\"" + Px(x1) + "\" y1=\"" + Px(y1) + "\" x2=\"" + Px(x2) + "\" y2=\"" + Px(y2) +
           "\" class=\"" + cls + "\"/>";
}

std::string OpenSvg(double height, const std::string& description)
{
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"chart\" width=\"" + Px(kWidth) +
           "\" height=\"" + Px(height) + "\" viewBox=\"0 0 " + Px(kWidth) + " " + Px(height) +
           "\" role=\"img\" aria-label=\"" + EscapeHtml(description) + "\"><title>" +
           EscapeHtml(description) + "</title>";
}

// 1, 2 or 5 times a power of ten, at least 1 (the charts count cells): about a quarter of `top`.
double TickStep(double top)
{
    const double rough = std::max(top / 4, 1.0);
    const double power = std::pow(10, std::floor(std::log10(rough)));
    const double mantissa = rough / power;
    return (mantissa <= 1 ? 1 : mantissa <= 2 ? 2 : mantissa <= 5 ? 5 : 10) * power;
}

size_t StackOf(const BarChart& chart, size_t bar)
{
    size_t sum = 0;
    for (const BarSeries& series : chart.series)
        sum += bar < series.counts.size() ? series.counts[bar] : 0;
    return sum;
}

struct Scale
{
    double top = 1;      // the count at the axis' top
    double step = 1;     // between two ticks
    bool broken = false; // the breakable bar is cut at the top
};

Scale ScaleOf(const BarChart& chart)
{
    size_t tallest = 0, others = 0;
    for (size_t bar = 0; bar < chart.labels.size(); ++bar)
    {
        const size_t stack = StackOf(chart, bar);
        tallest = std::max(tallest, stack);
        if (bar != chart.breakableBar)
            others = std::max(others, stack);
    }
    Scale scale;
    scale.broken = chart.breakableBar < chart.labels.size() && others > 0 &&
                   StackOf(chart, chart.breakableBar) > 2 * others;
    const double top = scale.broken ? 1.3 * static_cast<double>(others) : static_cast<double>(tallest);
    scale.step = TickStep(top);
    scale.top = std::max(scale.step, std::ceil(top / scale.step) * scale.step);
    return scale;
}

std::string Axis(const Scale& scale, double baseline)
{
    std::string svg;
    for (double tick = 0; tick <= scale.top + scale.step / 2; tick += scale.step)
    {
        const double y = baseline - tick / scale.top * kPlotHeight;
        svg += Line(kLeft, y, kWidth - kRight, y, tick == 0 ? "axis" : "grid");
        svg += Text(kLeft - 6, y + 4, ReadableNumber(tick), "end");
    }
    return svg;
}

std::string Legend(const std::vector<BarSeries>& series)
{
    std::string svg;
    double x = kLeft;
    for (const BarSeries& s : series)
    {
        svg += Rect(x, 10, 12, 12, s.color) + Text(x + 17, 20, s.name, "start");
        x += 30 + 7 * static_cast<double>(s.name.size());
    }
    return svg;
}

// Two white slants across a bar cut at the top of the axis.
std::string BreakMark(double x, double width, double y)
{
    std::string svg;
    for (const double dy : {0.0, 7.0})
        svg += "<path d=\"M" + Px(x - 2) + " " + Px(y + dy + 12) + " L" + Px(x + width + 2) + " " +
               Px(y + dy + 4) + "\" class=\"cut\"/>";
    return svg;
}

std::string Bar(const BarChart& chart, size_t bar, const Scale& scale, double baseline)
{
    const double slot = (kWidth - kLeft - kRight) / static_cast<double>(chart.labels.size());
    const double width = slot * 0.68;
    const double x = kLeft + slot * static_cast<double>(bar) + (slot - width) / 2;
    const bool cut = scale.broken && bar == chart.breakableBar;
    std::string svg;
    double y = baseline;
    for (const BarSeries& s : chart.series)
    {
        const size_t count = bar < s.counts.size() ? s.counts[bar] : 0;
        double height = static_cast<double>(count) / scale.top * kPlotHeight;
        height = std::min(height, y - (baseline - kPlotHeight)); // the cut bar ends at the axis' top
        if (count == 0 || height <= 0)
            continue;
        svg += Rect(x, y - height, width, height, s.color);
        y -= height;
    }
    if (cut)
        svg += BreakMark(x, width, baseline - kPlotHeight);
    svg += Text(x + width / 2, y - 4, ReadableNumber(static_cast<double>(StackOf(chart, bar))), "middle",
                "count");
    svg += Text(x + width / 2, baseline + 16, chart.labels[bar]);
    return svg;
}

} // namespace

std::string BarChartSvg(const BarChart& chart)
{
    const double height = kTop + kPlotHeight + kBottom;
    const double baseline = kTop + kPlotHeight;
    std::string svg = OpenSvg(height, chart.description);
    if (chart.labels.empty())
        return svg + "</svg>";
    const Scale scale = ScaleOf(chart);
    svg += Axis(scale, baseline);
    for (size_t bar = 0; bar < chart.labels.size(); ++bar)
        svg += Bar(chart, bar, scale, baseline);
    svg += Legend(chart.series);
    return svg + "</svg>";
}

std::string SignedBarChartSvg(const std::string& description, const std::vector<SignedBar>& bars,
                              double smallestReach, const std::string& unit)
{
    constexpr double kRow = 24, kLabels = 190, kValueRoom = 70;
    const double axisEnd = 16 + kRow * static_cast<double>(bars.size());
    const double height = axisEnd + 24;
    const double middle = kLabels + (kWidth - kLabels) / 2;
    const double reach = (kWidth - kLabels) / 2 - kValueRoom;
    double largest = smallestReach;
    for (const SignedBar& bar : bars)
        largest = std::max(largest, std::fabs(bar.value));
    std::string svg = OpenSvg(height, description);
    svg += Line(middle, 8, middle, axisEnd, "axis") +
           Line(middle - reach, axisEnd, middle + reach, axisEnd, "axis");
    svg += Text(middle - reach, axisEnd + 14, "-" + ReadableNumber(largest) + unit) +
           Text(middle, axisEnd + 14, "0") +
           Text(middle + reach, axisEnd + 14, "+" + ReadableNumber(largest) + unit);
    for (size_t i = 0; i < bars.size(); ++i)
    {
        const SignedBar& bar = bars[i];
        const double y = 16 + kRow * static_cast<double>(i);
        const double length = largest > 0 ? std::fabs(bar.value) / largest * reach : 0;
        const bool up = bar.value >= 0;
        svg += Text(kLabels - 8, y + 12, bar.label, "end");
        if (length > 0)
            svg += Rect(up ? middle : middle - length, y + 2, length, kRow - 8, up ? "#4e79a7" : "#f28e2b");
        svg +=
            Text(up ? middle + length + 5 : middle - length - 5, y + 12, bar.valueText, up ? "start" : "end");
    }
    return svg + "</svg>";
}

} // namespace vrn
