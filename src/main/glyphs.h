// The pictures of the picture buttons: waveforms, trigger edge, return to the trigger position
// and the input coupling. Drawn at run time, so the program carries no image files.
#pragma once

#include <QIcon>

namespace qs40 {

enum class Glyph {
    Sine,
    Rectangle,
    RisingSaw,
    FallingSaw,
    Triangle,
    TriggerEdge, // off: rising edge, on: falling edge
    ReturnToTrigger,
    Coupling, // off: DC, on: AC
};

QIcon glyphIcon(Glyph glyph);

} // namespace qs40
