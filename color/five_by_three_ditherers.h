#pragma once
// Error-diffusion kernels reaching two rows down and two columns to each side: the base
// T5by3Ditherer and the Stucki, Sierra and JaJuNi kernels.
//
// Weights, with offsets in columns relative to the pixel (+1 = next in scan direction):
//
//   kernel   divisor  current row     next row (-2..+2)   row after next (-2..+2)
//   Stucki     42     +1: 8, +2: 4    2, 4, 8, 4, 2        1, 2, 4, 2, 1
//   Sierra     32     +1: 5, +2: 3    2, 4, 5, 4, 2        0, 2, 3, 2, 0
//   JaJuNi     48     +1: 7, +2: 5    3, 5, 7, 5, 3        1, 3, 5, 3, 1
//
// A pixel's error share is its entry of the current row buffer, rounded by half the divisor.
// Each concrete class has its kernel as a static Spread (used inline by ditherWith) and as the
// virtual SpreadError.

#include "color/dither_engine.h"
#include "color/error_rows.h"

class T5by3Ditherer : public TDitherEngine {
public:
    T5by3Ditherer(int width, TColorLookup& lookup, int divisor = 1);

    int divisor() const { return divisor_; }

    // Adds error x weight at the kernel's offsets. The pointers address the pixel's own entry
    // in the current row, the next row and the row after next; an offset k is pointer + k x d.
    virtual void SpreadError(std::int32_t* current, std::int32_t* next, std::int32_t* afterNext, int error) = 0;

    std::uint8_t DitherPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& outRed,
                             std::uint8_t& outGreen, std::uint8_t& outBlue) override;
    void StartNextRow() override;

    // The error sum waiting for column x in row r (0 current, 1 next, 2 after next).
    int bufferEntry(int r, int channel, int x) { return *rows_.at(r, channel, x); }

protected:
    template <class Kernel, class Lookup>
    std::uint8_t diffuseWith(Lookup& lookup, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                             std::uint8_t& outRed, std::uint8_t& outGreen, std::uint8_t& outBlue)
    {
        const int x = column_;
        const int d = direction_;
        return diffusePixel(
            lookup, divisor_ / 2, divisor_, red, green, blue, outRed, outGreen, outBlue,
            [&](int c) { return *rows_.at(0, c, x); },
            [&](int c, int e) {
                if (e != 0)
                    Kernel::Spread(rows_.at(0, c, x), rows_.at(1, c, x), rows_.at(2, c, x), e, d, twiceDirection_);
            });
    }

    ErrorRows<3, 2> rows_;
    int twiceDirection_ = 2;
    int divisor_;
};

class TStuckiDitherer final : public T5by3Ditherer {
public:
    TStuckiDitherer(int width, TColorLookup& lookup) : T5by3Ditherer(width, lookup, 42) {}

    static void Spread(std::int32_t* cur, std::int32_t* next, std::int32_t* after, int e, int d, int d2)
    {
        cur[d] += 8 * e;
        cur[d2] += 4 * e;
        next[-d2] += 2 * e;
        next[-d] += 4 * e;
        next[0] += 8 * e;
        next[d] += 4 * e;
        next[d2] += 2 * e;
        after[-d2] += e;
        after[-d] += 2 * e;
        after[0] += 4 * e;
        after[d] += 2 * e;
        after[d2] += e;
    }
    void SpreadError(std::int32_t* current, std::int32_t* next, std::int32_t* afterNext, int error) override
    {
        if (error != 0)
            Spread(current, next, afterNext, error, direction_, twiceDirection_);
    }
    template <class Lookup>
    std::uint8_t ditherWith(Lookup& lookup, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                            std::uint8_t& outRed, std::uint8_t& outGreen, std::uint8_t& outBlue)
    {
        return diffuseWith<TStuckiDitherer>(lookup, red, green, blue, outRed, outGreen, outBlue);
    }
};

class TSierraDitherer final : public T5by3Ditherer {
public:
    TSierraDitherer(int width, TColorLookup& lookup) : T5by3Ditherer(width, lookup, 32) {}

    static void Spread(std::int32_t* cur, std::int32_t* next, std::int32_t* after, int e, int d, int d2)
    {
        cur[d] += 5 * e;
        cur[d2] += 3 * e;
        next[-d2] += 2 * e;
        next[-d] += 4 * e;
        next[0] += 5 * e;
        next[d] += 4 * e;
        next[d2] += 2 * e;
        after[-d] += 2 * e;
        after[0] += 3 * e;
        after[d] += 2 * e;
    }
    void SpreadError(std::int32_t* current, std::int32_t* next, std::int32_t* afterNext, int error) override
    {
        if (error != 0)
            Spread(current, next, afterNext, error, direction_, twiceDirection_);
    }
    template <class Lookup>
    std::uint8_t ditherWith(Lookup& lookup, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                            std::uint8_t& outRed, std::uint8_t& outGreen, std::uint8_t& outBlue)
    {
        return diffuseWith<TSierraDitherer>(lookup, red, green, blue, outRed, outGreen, outBlue);
    }
};

class TJaJuNiDitherer final : public T5by3Ditherer {
public:
    TJaJuNiDitherer(int width, TColorLookup& lookup) : T5by3Ditherer(width, lookup, 48) {}

    static void Spread(std::int32_t* cur, std::int32_t* next, std::int32_t* after, int e, int d, int d2)
    {
        cur[d] += 7 * e;
        cur[d2] += 5 * e;
        next[-d2] += 3 * e;
        next[-d] += 5 * e;
        next[0] += 7 * e;
        next[d] += 5 * e;
        next[d2] += 3 * e;
        after[-d2] += e;
        after[-d] += 3 * e;
        after[0] += 5 * e;
        after[d] += 3 * e;
        after[d2] += e;
    }
    void SpreadError(std::int32_t* current, std::int32_t* next, std::int32_t* afterNext, int error) override
    {
        if (error != 0)
            Spread(current, next, afterNext, error, direction_, twiceDirection_);
    }
    template <class Lookup>
    std::uint8_t ditherWith(Lookup& lookup, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                            std::uint8_t& outRed, std::uint8_t& outGreen, std::uint8_t& outBlue)
    {
        return diffuseWith<TJaJuNiDitherer>(lookup, red, green, blue, outRed, outGreen, outBlue);
    }
};
