#include "bench/figure_table.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <stdexcept>

double Figure::ratio() const
{
    if (std::isnan(value) || std::isnan(referenceValue) || referenceValue == 0)
        return NAN;
    return value / referenceValue;
}

void FigureTable::add(Figure figure) { figures_.push_back(std::move(figure)); }

std::string formatNumber(double value)
{
    if (std::isnan(value))
        return "-";
    char text[64];
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e6 || (magnitude != 0 && magnitude < 1e-3))
        std::snprintf(text, sizeof text, "%.4g", value);
    else if (magnitude >= 1000 || value == std::floor(value))
        std::snprintf(text, sizeof text, "%.0f", value);
    else if (magnitude >= 10)
        std::snprintf(text, sizeof text, "%.2f", value);
    else
        std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

namespace {

std::string goalText(const Figure& f)
{
    if (f.goal.empty())
        return "";
    if (!f.goalMet)
        return f.goal + " (?)";
    return f.goal + (*f.goalMet ? " ok" : " MISSED");
}

std::string jsonString(const std::string& s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", c);
                out += esc;
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

std::string jsonNumber(double v)
{
    if (std::isnan(v) || std::isinf(v))
        return "null";
    std::ostringstream s;
    s << std::setprecision(10) << v;
    return s.str();
}

} // namespace

void FigureTable::print(std::ostream& out) const
{
    // Sections in the order they first appear, each with all of its figures.
    std::vector<std::string> sections;
    for (const Figure& f : figures_)
        if (std::find(sections.begin(), sections.end(), f.section) == sections.end())
            sections.push_back(f.section);
    std::size_t nameWidth = 6;
    for (const Figure& f : figures_)
        nameWidth = std::max(nameWidth, f.name.size());
    const int w = int(std::min<std::size_t>(nameWidth, 64));
    for (const std::string& section : sections) {
        out << "\n== " << section << " ==\n";
        out << std::left << std::setw(w) << "figure" << std::right << std::setw(12) << "ours" << "  " << std::left
            << std::setw(8) << "unit" << std::right << std::setw(12) << "reference" << "  " << std::left
            << std::setw(23) << "tool" << std::right << std::setw(8) << "ratio" << "  " << "goal\n";
        for (const Figure& f : figures_) {
            if (f.section != section)
                continue;
            out << std::left << std::setw(w) << f.name << std::right << std::setw(12) << formatNumber(f.value) << "  "
                << std::left << std::setw(8) << f.unit << std::right << std::setw(12)
                << formatNumber(f.referenceValue) << "  " << std::left << std::setw(23) << f.reference << std::right
                << std::setw(8) << formatNumber(f.ratio()) << "  " << goalText(f);
            if (!f.note.empty())
                out << "  [" << f.note << "]";
            out << "\n";
        }
    }
    out.flush();
}

void FigureTable::writeJson(const std::string& path, const std::string& machine, bool quick) const
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        throw std::runtime_error("cannot write " + path);
    file << "{\n  \"program\": \"zoetra-bench\",\n  \"quick\": " << (quick ? "true" : "false")
         << ",\n  \"machine\": " << jsonString(machine) << ",\n  \"figures\": [\n";
    for (std::size_t i = 0; i < figures_.size(); ++i) {
        const Figure& f = figures_[i];
        file << "    {\"section\": " << jsonString(f.section) << ", \"name\": " << jsonString(f.name)
             << ", \"value\": " << jsonNumber(f.value) << ", \"unit\": " << jsonString(f.unit)
             << ", \"reference\": " << (f.reference.empty() ? "null" : jsonString(f.reference))
             << ", \"reference_value\": " << jsonNumber(f.referenceValue) << ", \"ratio\": " << jsonNumber(f.ratio())
             << ", \"higher_is_better\": " << (f.higherIsBetter ? "true" : "false")
             << ", \"goal\": " << (f.goal.empty() ? "null" : jsonString(f.goal))
             << ", \"goal_met\": " << (f.goalMet ? (*f.goalMet ? "true" : "false") : "null")
             << ", \"note\": " << (f.note.empty() ? "null" : jsonString(f.note)) << "}"
             << (i + 1 < figures_.size() ? "," : "") << "\n";
    }
    file << "  ]\n}\n";
    if (!file.flush())
        throw std::runtime_error("cannot write " + path);
}
