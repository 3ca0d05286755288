// The main window's view modes (normal with or without the generator panel, compact) and the
// layout operation that sizes the plot and places the input buttons.
#include "display/layout.h"
#include "main/main_window.h"
#include "main/paint_box.h"

#include <QGuiApplication>
#include <QScreen>

namespace qs40 {
namespace {

constexpr QSize kCompactMinimum{430, 250};

} // namespace

bool TQS4003MFrm::showGenerator() const {
    return state_.Common.Generator && state_.has(kCapGenerator);
}

void TQS4003MFrm::viewOperation(bool compact, bool generatorView) {
    const bool showGen = generatorView && state_.has(kCapGenerator);
    if (compact && !lastCompact_) {
        setMinimumSize(kCompactMinimum);
        panel_.scope->hide();
        panel_.generator->hide();
        if (firstCompactEntry_) {
            setWindowState(Qt::WindowNoState);
            resize(width() - design::kScopeWidth, height() - design::kGeneratorHeight);
            firstCompactEntry_ = false;
        } else {
            if (!compactState_.testFlag(Qt::WindowMaximized))
                setGeometry(compactGeometry_);
            setWindowState(compactState_);
        }
    } else if (!compact && lastCompact_) {
        compactState_ = windowState();
        compactGeometry_ = geometry();
        setWindowState(Qt::WindowNoState);
        resize(designSize_);
        if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(s->availableGeometry().center());
            move(frame.topLeft());
        }
        setMinimumSize(designSize_);
        panel_.scope->show();
    }
    if (!compact)
        panel_.generator->setVisible(showGen);
    lastCompact_ = compact;
}

void TQS4003MFrm::layoutOperation() {
    const QWidget* client = centralWidget();
    placePanels(panel_, client->width(), client->height(), lastCompact_, showGenerator());

    PaintBox* box = panel_.image;
    geometry_ = computePlotGeometry(box->width(), box->height());
    QImage& bitmap = box->bitmap();
    if (bitmap.size() != box->size()) {
        bitmap = QImage(box->size(), QImage::Format_RGB32);
        const ColorRef border = state_.Colors.Border;
        bitmap.fill(QColor(static_cast<int>(border & 0xFF), static_cast<int>((border >> 8) & 0xFF),
                           static_cast<int>((border >> 16) & 0xFF)));
    }

    const InputButtonDesign inputs{design::kTopA1, design::kTopA2, design::kClientHeight,
                                   design::kButtonHeight};
    placeInputButtons(panel_,
                      computeInputButtonTops(inputs, panel_.scope->height(), state_.has(kCapA2)));
}

void TQS4003MFrm::relayoutAndApply() {
    viewOperation(state_.Run.compact, state_.Common.Generator);
    layoutOperation();
    followUp(FollowUp::Apply);
}

} // namespace qs40
