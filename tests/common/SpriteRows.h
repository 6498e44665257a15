#pragma once
// Test pictures written as text: one string per row, 'X' for a black pixel,
// anything else clear.

#include <string>
#include <vector>

#include "Sprite.h"

inline palvorn::Sprite sprite(int width, const std::vector<std::string>& rows)
{
    palvorn::Sprite s(width, static_cast<int>(rows.size()));
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < width && x < static_cast<int>(rows[y].size()); ++x)
            s.setPixel(x, y, rows[y][x] == 'X');
    return s;
}
