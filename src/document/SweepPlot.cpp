#include "document/SweepPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "document/RoundTicks.h"
#include "document/SweepMetrics.h"

namespace tamr {
namespace {

constexpr double kPanelWidth = 440;
constexpr double kPanelHeight = 300;
constexpr double kLeft = 70;
constexpr double kTop = 60;
constexpr double kGap = 110;

std::string Number(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

using Axis = RoundAxis;

std::string Tick(double x1, double y1, double x2, double y2)
{
    return "<line x1=\"" + Number(x1, 1) + "\" y1=\"" + Number(y1, 1) + "\" x2=\"" + Number(x2, 1) + "\" y2=\"" +
           Number(y2, 1) + "\" stroke=\"#000\"/>\n";
}

std::string Label(double x, double y, const char* anchor, const std::string& text)
{
    std::string label = "<text x=\"" + Number(x, 1) + "\" y=\"" + Number(y, 1) + "\" text-anchor=\"";
    label += anchor;
    label += "\">";
    label += text;
    label += "</text>\n";
    return label;
}

struct Panel {
    std::string id;
    std::string yLabel;
    double (*value)(const SweepPoint&);
};

Panel MetricPanel(std::string_view key)
{
    const SweepMetric& metric = *FindSweepMetric(key);
    return {std::string(key) + "-panel", std::string(metric.title), metric.value};
}

bool Plotted(const SweepPoint& point, const Panel& panel)
{
    return !point.Failed() && std::isfinite(panel.value(point));
}

void DrawPanel(std::string& svg, const SweepResult& result, const std::vector<const PeerCodec*>& codecs,
               const Panel& panel, double left, const Axis& x)
{
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const SweepPoint& point : result.points)
        if (Plotted(point, panel)) {
            low = std::min(low, panel.value(point));
            high = std::max(high, panel.value(point));
        }
    const Axis y = std::isfinite(low) ? RoundTicks(low, high) : Axis{};
    auto px = [&](double v) { return left + (v - x.low) / (x.high - x.low) * kPanelWidth; };
    auto py = [&](double v) { return kTop + kPanelHeight - (v - y.low) / (y.high - y.low) * kPanelHeight; };

    svg += "<g id=\"" + panel.id + "\">\n";
    svg += "<rect x=\"" + Number(left, 1) + "\" y=\"" + Number(kTop, 1) + "\" width=\"" + Number(kPanelWidth, 1) +
           "\" height=\"" + Number(kPanelHeight, 1) + "\" fill=\"none\" stroke=\"#000\"/>\n";
    for (double t = x.low; t <= x.high + x.step / 2; t += x.step) {
        svg += Tick(px(t), kTop + kPanelHeight, px(t), kTop + kPanelHeight + 5);
        svg += Label(px(t), kTop + kPanelHeight + 20, "middle", Number(t, x.decimals));
    }
    for (double t = y.low; t <= y.high + y.step / 2; t += y.step) {
        svg += Tick(left - 5, py(t), left, py(t));
        svg += Label(left - 8, py(t) + 4, "end", Number(t, y.decimals));
    }
    svg += "<text x=\"" + Number(left + kPanelWidth / 2, 1) + "\" y=\"" + Number(kTop + kPanelHeight + 42, 1) +
           "\" text-anchor=\"middle\">bits per pixel</text>\n";
    svg += "<text transform=\"translate(" + Number(left - 52, 1) + " " + Number(kTop + kPanelHeight / 2, 1) +
           ") rotate(-90)\" text-anchor=\"middle\">" + panel.yLabel + "</text>\n";

    for (std::size_t c = 0; c < codecs.size(); ++c) {
        std::vector<const SweepPoint*> points;
        for (const SweepPoint& point : result.points)
            if (point.codec == codecs[c] && Plotted(point, panel))
                points.push_back(&point);
        std::sort(points.begin(), points.end(),
                  [](const SweepPoint* a, const SweepPoint* b) { return a->bitsPerPixel < b->bitsPerPixel; });
        const std::string colour(codecs[c]->colour);
        std::string d;
        for (const SweepPoint* point : points)
            d += (d.empty() ? "M" : " L") + Number(px(point->bitsPerPixel), 2) + " " +
                 Number(py(panel.value(*point)), 2);
        svg += "<path class=\"series\" data-codec=\"" + std::string(codecs[c]->name) + "\" d=\"" + d +
               "\" fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"1.5\"/>\n";
        for (const SweepPoint* point : points)
            svg += "<circle cx=\"" + Number(px(point->bitsPerPixel), 2) + "\" cy=\"" +
                   Number(py(panel.value(*point)), 2) + "\" r=\"2.5\" fill=\"" + colour + "\"/>\n";
    }
    svg += "</g>\n";
}

} // namespace

std::string SweepSvg(const SweepResult& result, const std::string& pictureName)
{
    std::vector<const PeerCodec*> codecs;
    double highBpp = 0;
    for (const SweepPoint& point : result.points) {
        if (std::find(codecs.begin(), codecs.end(), point.codec) == codecs.end())
            codecs.push_back(point.codec);
        if (!point.Failed())
            highBpp = std::max(highBpp, point.bitsPerPixel);
    }
    const Axis x = RoundTicks(0, highBpp > 0 ? highBpp : 1);
    const double width = kLeft + 2 * kPanelWidth + kGap + 30;
    const double height = kTop + kPanelHeight + 104; // axis labels and the legend below the panels

    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Number(width, 0) + "\" height=\"" +
           Number(height, 0) + "\" viewBox=\"0 0 " + Number(width, 0) + " " + Number(height, 0) +
           "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
    svg += "<text x=\"" + Number(width / 2, 1) + "\" y=\"28\" text-anchor=\"middle\" font-size=\"16\">" +
           Escaped(pictureName) + " (" + std::to_string(result.width) + " \u00d7 " + std::to_string(result.height) +
           "): quality against size</text>\n";
    DrawPanel(svg, result, codecs, MetricPanel("psnr"), kLeft, x);
    DrawPanel(svg, result, codecs, MetricPanel("ssim"), kLeft + kPanelWidth + kGap, x);

    // The legend, in one row under the panels.
    svg += "<g id=\"legend\">\n";
    const double legendY = kTop + kPanelHeight + 70;
    for (std::size_t c = 0; c < codecs.size(); ++c) {
        const double at = kLeft + 120.0 * static_cast<double>(c);
        const std::string colour(codecs[c]->colour);
        svg += "<line x1=\"" + Number(at, 1) + "\" y1=\"" + Number(legendY, 1) + "\" x2=\"" + Number(at + 24, 1) +
               "\" y2=\"" + Number(legendY, 1) + "\" stroke=\"" + colour + "\" stroke-width=\"3\"/>\n";
        svg += "<text x=\"" + Number(at + 30, 1) + "\" y=\"" + Number(legendY + 4, 1) + "\">" +
               Escaped(std::string(codecs[c]->label)) + "</text>\n";
    }
    svg += "</g>\n</svg>\n";
    return svg;
}

} // namespace tamr
