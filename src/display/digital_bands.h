// Where the digital traces sit on the plot, in screen codes from the bottom edge. Each digital
// channel has the height of one division to itself: D1 the lowest, D2 the one above. A frame
// drawn alone takes the middle 24 codes of it; with the background shown the two frames share
// it, 12 codes in each half (the background below, the current frame above, the other way
// round after a swap). A trigger arrow on a digital source points just below the middle of the
// frame's part.
#pragma once

namespace qs40 {

inline constexpr int kDigitalBandCodes = 32; // one division

// One frame's digital traces: the screen code of the 0 level of D1 and of D2, the codes from 0
// to 1, and the heights of the trigger arrow for D1 and for D2.
struct DigitalPlacement {
    int positionD1;
    int positionD2;
    int scale;
    int arrowD1;
    int arrowD2;
};

inline constexpr DigitalPlacement kDigitalAlone{4, 36, 24, 15, 47};
inline constexpr DigitalPlacement kDigitalLowerHalf{2, 34, 12, 7, 39};
inline constexpr DigitalPlacement kDigitalUpperHalf{18, 50, 12, 23, 55};

// The placements follow from the bands: the trace centred in its part, the arrow one code below
// the part's middle, D2 one division above D1.
constexpr bool placedInBand(const DigitalPlacement& p, int partBottom, int partCodes) {
    return p.positionD1 == partBottom + (partCodes - p.scale) / 2 &&
           p.arrowD1 == partBottom + partCodes / 2 - 1 &&
           p.positionD2 == p.positionD1 + kDigitalBandCodes &&
           p.arrowD2 == p.arrowD1 + kDigitalBandCodes;
}
static_assert(placedInBand(kDigitalAlone, 0, kDigitalBandCodes));
static_assert(placedInBand(kDigitalLowerHalf, 0, kDigitalBandCodes / 2));
static_assert(placedInBand(kDigitalUpperHalf, kDigitalBandCodes / 2, kDigitalBandCodes / 2));

} // namespace qs40
