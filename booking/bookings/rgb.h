#pragma once

// A colour as its three 8-bit parts, for the grid cells and the printed
// journal alike; the windows turn it into their toolkit's colour.

namespace kolvaro {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

}  // namespace kolvaro
