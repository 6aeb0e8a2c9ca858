#pragma once
// Error buffers of an error-diffusion ditherer: Rows rows (the current one and those below it),
// three channels each (red, green, blue), one 32-bit entry per column plus Margin entries on
// each side, so every kernel offset of a pixel is a valid entry. The pixel in column x uses
// entry x + Margin; errors spread into the margins are lost.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

template <int Rows, int Margin>
class ErrorRows {
public:
    explicit ErrorRows(int width)
        : stride_(std::size_t(std::max(width, 0)) + 2 * Margin), storage_(std::size_t(Rows) * 3 * stride_, 0)
    {
        for (int r = 0; r < Rows; ++r)
            for (int c = 0; c < 3; ++c)
                rows_[std::size_t(r)][std::size_t(c)] = storage_.data() + (std::size_t(r) * 3 + std::size_t(c)) * stride_;
    }
    ErrorRows(const ErrorRows&) = delete;
    ErrorRows& operator=(const ErrorRows&) = delete;

    // Entry of column x in row r (0 = current row) of channel c.
    std::int32_t* at(int r, int c, int x) { return rows_[std::size_t(r)][std::size_t(c)] + (x + Margin); }
    std::int32_t* row(int r, int c) { return rows_[std::size_t(r)][std::size_t(c)]; }
    std::size_t entries() const { return stride_; }

    // Zeros the current row and moves every row up by one; the zeroed row becomes the farthest.
    void advance()
    {
        for (int c = 0; c < 3; ++c)
            std::fill(rows_[0][std::size_t(c)], rows_[0][std::size_t(c)] + stride_, 0);
        std::rotate(rows_.begin(), rows_.begin() + 1, rows_.end());
    }

private:
    std::size_t stride_;
    std::vector<std::int32_t> storage_;
    std::array<std::array<std::int32_t*, 3>, Rows> rows_{};
};
