#pragma once
// Integer points and GDI-style rectangles (right and bottom edges exclusive).

#include <algorithm>

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    // The same rectangle with left <= right and top <= bottom.
    Rect normalized() const
    {
        return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    }
    Rect intersected(const Rect& o) const
    {
        Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
        if (r.isEmpty())
            return {};
        return r;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect makeRect(int left, int top, int right, int bottom) { return Rect{left, top, right, bottom}; }
inline Rect boundsRect(int left, int top, int width, int height) { return Rect{left, top, left + width, top + height}; }
