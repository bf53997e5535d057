#pragma once

#include <cstdint>
#include <string_view>

namespace orvane::sample {

// A 5 × 7 pixel font for the few characters the generator writes into frames (upper-case
// letters, digits, ':', '-', '_', '.', ' '). Self-contained so frames render the same everywhere.
struct BitmapFont {
    static constexpr int glyphWidth = 5;
    static constexpr int glyphHeight = 7;
    // Rows top to bottom, bit 4 the leftmost pixel; unknown characters render blank.
    static const uint8_t* glyph(char c);

    // Draws `text` into an 8-bit plane with `pixel`-sized dots, clipped to the plane.
    static void draw(uint8_t* plane, int stride, int width, int height, int x, int y, int pixel,
                     std::string_view text, uint8_t ink);
};

} // namespace orvane::sample
