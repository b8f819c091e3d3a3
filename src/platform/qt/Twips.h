#pragma once

namespace psion::qt {

// Forms are laid out in twips; at 96 dots per inch 15 twips make one pixel.
// Qt scales these device-independent pixels itself on high-dpi screens.
inline constexpr int kTwipsPerPixel = 15;

inline int TwipsToPixels(int twips) {
    return (twips + (twips >= 0 ? kTwipsPerPixel / 2 : -kTwipsPerPixel / 2)) / kTwipsPerPixel;
}

}  // namespace psion::qt
