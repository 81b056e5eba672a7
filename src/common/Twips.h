#pragma once
// The windows were designed in twips; on the screen 15 twips make a pixel, as at the design's
// 96 dots per inch.

namespace corvin {

constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) {
    return twips / kTwipsPerPixel;
}

} // namespace corvin
