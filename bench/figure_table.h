#pragma once
// The figures of one benchmark run: a readable table on the terminal and a JSON file with every
// figure, its unit, its reference and the ratio between them.

#include <cmath>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

struct Figure {
    std::string section;  // "decode", "encode", "reduction", ...
    std::string name;     // what was measured, on what
    double value = NAN;   // NaN: not measured (see note)
    std::string unit;
    std::string reference;        // the reference tool, empty for absolute figures
    double referenceValue = NAN;  // the reference's figure in the same unit
    bool higherIsBetter = true;
    std::string goal;             // the aim, in words ("ratio >= 1.5"), empty when none
    std::optional<bool> goalMet;  // unset when there is no goal or no figure
    std::string note;

    // value / referenceValue, NaN when either is missing.
    double ratio() const;
};

class FigureTable {
public:
    void add(Figure figure);
    const std::vector<Figure>& figures() const { return figures_; }

    void print(std::ostream& out) const;
    // Throws std::runtime_error when the file cannot be written.
    void writeJson(const std::string& path, const std::string& machine, bool quick) const;

private:
    std::vector<Figure> figures_;
};

// A number with a sensible count of significant digits ("—" for NaN).
std::string formatNumber(double value);
