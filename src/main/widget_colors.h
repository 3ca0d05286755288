// Colours of the state (0x00BBGGRR, red in the low byte) on widgets.
#pragma once

#include "scope/scope_state.h"

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace qs40 {

inline QColor toColor(ColorRef c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

inline ColorRef toColorRef(const QColor& c) {
    return static_cast<ColorRef>(c.red()) | static_cast<ColorRef>(c.green()) << 8 |
           static_cast<ColorRef>(c.blue()) << 16;
}

// The widget's window colour, and its text colour when given.
inline void setBackground(QWidget* w, QColor background, QColor text = {}) {
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, background);
    if (text.isValid())
        palette.setColor(QPalette::WindowText, text);
    w->setPalette(palette);
}

} // namespace qs40
