#include "evaluate/ReportHtml.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "document/SweepMetrics.h"
#include "document/SweepPlot.h"
#include "evaluate/ReportCell.h"

namespace tamr {
namespace {

std::string Escaped(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// The SVG element alone, to sit inside the page.
std::string InlineSvg(const std::string& svg)
{
    const auto start = svg.find("<svg");
    return start == std::string::npos ? std::string() : svg.substr(start);
}

// A sweep of the mean of each figure and of the bits per pixel over the
// pictures measured at each codec and quality.
SweepResult MeanSweep(const Evaluation& evaluation)
{
    SweepResult mean;
    for (const EvaluatedCodec& codec : evaluation.codecs)
        for (const int quality : evaluation.qualities) {
            SweepPoint point;
            point.codec = FindCodec(codec.name);
            point.quality = quality;
            double bpp = 0;
            double psnr = 0;
            double ssim = 0;
            std::size_t count = 0;
            std::size_t ssimCount = 0;
            for (const EvaluatedPicture& picture : evaluation.pictures)
                for (const SweepPoint& measured : picture.points)
                    if (measured.codec == point.codec && measured.quality == quality && !measured.Failed() &&
                        std::isfinite(measured.metrics.psnr)) {
                        bpp += measured.bitsPerPixel;
                        psnr += measured.metrics.psnr;
                        ++count;
                        if (measured.metrics.ssim) {
                            ssim += *measured.metrics.ssim;
                            ++ssimCount;
                        }
                    }
            if (count == 0 || point.codec == nullptr) {
                point.failure = "no picture measured";
            } else {
                point.bitsPerPixel = bpp / static_cast<double>(count);
                point.metrics.psnr = psnr / static_cast<double>(count);
                if (ssimCount > 0)
                    point.metrics.ssim = ssim / static_cast<double>(ssimCount);
            }
            if (point.codec != nullptr)
                mean.points.push_back(point);
        }
    return mean;
}

SweepResult PictureSweep(const EvaluatedPicture& picture)
{
    SweepResult result;
    result.width = picture.width;
    result.height = picture.height;
    result.points = picture.points;
    return result;
}

std::string_view LabelOf(const std::string& key)
{
    const SweepMetric* metric = FindSweepMetric(key);
    return metric != nullptr ? metric->name : std::string_view(key);
}

constexpr std::string_view kStyle = "body{font-family:sans-serif;margin:1.5em}table{border-collapse:collapse}"
                                    "td,th{border:1px solid #ccc;padding:2px 8px;text-align:right}"
                                    "th{cursor:pointer;background:#eee}td:first-child{text-align:left}";

// Sorts the table by the clicked column: numbers as numbers, "n/a" last.
constexpr std::string_view kSortScript =
    "document.querySelectorAll('table.sortable th').forEach((th,i)=>th.onclick=()=>{"
    "const t=th.closest('table'),b=t.tBodies[0],up=th.dataset.up!=='1';th.dataset.up=up?'1':'0';"
    "const v=r=>{const x=parseFloat(r.cells[i].textContent);return isNaN(x)?null:x};"
    "[...b.rows].sort((p,q)=>{const a=v(p),c=v(q);if(a===null&&c===null)return p.cells[i].textContent"
    ".localeCompare(q.cells[i].textContent);if(a===null)return 1;if(c===null)return -1;return up?a-c:c-a})"
    ".forEach(r=>b.appendChild(r))});";

} // namespace

std::string ReportHtml(const Evaluation& evaluation, const EvaluationReport& report,
                       const std::vector<std::string>& thumbnails)
{
    const auto thumbnail = [&](std::size_t i) {
        return i < thumbnails.size() && !thumbnails[i].empty() ? "<img src=\"" + thumbnails[i] + "\" alt=\"\"><br>"
                                                               : std::string();
    };
    const std::string title = "tamr " + evaluation.programVersion + ": BD against " + report.anchor + " (" +
                              std::string(CurveFitName(report.fit)) + ")";
    std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + Escaped(title) +
                       "</title><style>" + std::string(kStyle) + "</style></head><body>\n<h1>" + Escaped(title) +
                       "</h1>\n<p>" + std::to_string(evaluation.pictures.size()) + " of " +
                       std::to_string(evaluation.pictureCount) + " pictures.</p>\n";
    html += "<h2>Mean curves</h2>\n" +
            InlineSvg(SweepSvg(MeanSweep(evaluation),
                               "mean of " + std::to_string(evaluation.pictures.size()) + " pictures")) +
            "\n";

    html += "<h2>Against " + Escaped(report.anchor) +
            "</h2>\n<table class=\"sortable\"><thead><tr><th>figure</th><th>codec</th><th>BD-rate %</th>"
            "<th>geometric mean %</th><th>BD-quality</th><th>pictures</th><th>too little overlap</th></tr></thead>"
            "<tbody>\n";
    for (const CodecDeltas& row : report.rows) {
        std::string leftOut;
        for (const std::string& name : row.rate.tooLittleOverlap)
            leftOut += (leftOut.empty() ? "" : ", ") + name;
        html += "<tr><td>" + Escaped(std::string(LabelOf(row.metric))) + "</td><td>" + Escaped(row.codec) +
                "</td><td>" + ReportCell("%+.2f", row.rate.mean) + "</td><td>" +
                ReportCell("%+.2f", row.geometricRate) + "</td><td>" + ReportCell("%+.4f", row.quality.mean) +
                "</td><td>" + std::to_string(row.rate.averaged) + "</td><td>" + Escaped(leftOut) + "</td></tr>\n";
    }
    html += "</tbody></table>\n";

    html += "<h2>Pictures (BD-rate %)</h2>\n<table class=\"sortable\"><thead><tr><th>picture</th>";
    for (const CodecDeltas& row : report.rows)
        html += "<th>" + Escaped(row.codec + " " + std::string(LabelOf(row.metric))) + "</th>";
    html += "</tr></thead><tbody>\n";
    for (std::size_t i = 0; i < evaluation.pictures.size(); ++i) {
        const EvaluatedPicture& picture = evaluation.pictures[i];
        html += "<tr><td><a href=\"#picture-" + std::to_string(i) + "\">" + thumbnail(i) + Escaped(picture.name) +
                "</a></td>";
        for (const CodecDeltas& row : report.rows) {
            const auto found = std::find_if(row.pictures.begin(), row.pictures.end(), [&](const PictureDeltas& deltas) {
                return deltas.picture == picture.name;
            });
            html += "<td>" +
                    (found != row.pictures.end() && found->rate.Measured() ? ReportCell("%+.2f", found->rate.value)
                                                                           : std::string("n/a")) +
                    "</td>";
        }
        html += "</tr>\n";
    }
    html += "</tbody></table>\n";

    for (std::size_t i = 0; i < evaluation.pictures.size(); ++i) {
        const EvaluatedPicture& picture = evaluation.pictures[i];
        html += "<h3 id=\"picture-" + std::to_string(i) + "\">" + Escaped(picture.name) + "</h3>\n<p>SHA-256 " +
                picture.sha256 + "</p>\n";
        html += picture.failure.empty() ? InlineSvg(SweepSvg(PictureSweep(picture), picture.name))
                                        : "<p>" + Escaped(picture.failure) + "</p>";
        html += "\n";
    }
    html += "<script>" + std::string(kSortScript) + "</script>\n</body></html>\n";
    return html;
}

} // namespace tamr
