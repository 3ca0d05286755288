// The main window's side of the acquisition: the acquisition thread with its synchronised
// callback served on the GUI thread, the per-frame routine drawing into the off-screen bitmap,
// the activity indicator, the end of a single shot and the one-second watchdog.
#include "main/main_window.h"

#include "main/paint_box.h"
#include "main/qt_canvas.h"
#include "main/single_instance.h"
#include "main/widget_colors.h"
#include "scope/parameter_computation.h"

#include <QLabel>
#include <QLocale>
#include <QSignalBlocker>

#include <mutex>

namespace qs40 {

void TQS4003MFrm::startAcquisition() {
    if (options_.acquisition)
        session_.startThread(acquisitionHooks());
}

void TQS4003MFrm::postSynchronisedCall() {
    // Worker thread: only post; the GUI thread runs the call when it gets to the event.
    QMetaObject::invokeMethod(
        this,
        [this] {
            ++synchronisedDepth_;
            session_.serve();
            --synchronisedDepth_;
        },
        Qt::QueuedConnection);
}

bool TQS4003MFrm::stopAcquisition() {
    timer1_->stop();
    if (!session_.threadStarted())
        return true;
    // Refusing the synchronised calls releases a worker waiting for this thread, so joining
    // needs no event processing. Inside a synchronised call (a box of the per-frame routine
    // whose event loop delivered the close) the worker waits for this very call to return:
    // it is joined later, once the call has unwound.
    session_.requestStop();
    if (synchronisedDepth_ > 0)
        return false;
    session_.joinThread();
    return true;
}

ScopeThreadHooks TQS4003MFrm::acquisitionHooks() {
    ScopeThreadHooks hooks;
    hooks.perFrame = [this] { perFrame(); };
    hooks.activityIndicator = [this] { drawActivityIndicator(); };
    hooks.singleShotEnded = [this] { singleShotEnded(); };
    hooks.recorderWrite = [this](std::span<const std::uint8_t> b) { recorderWrite(b); };
    return hooks;
}

FrameInput TQS4003MFrm::frameInput() {
    FrameInput in{state_, params_, session_.frames(), geometry_, spectrum_, activity_};
    in.scrollPosition = panel_.xPos->value();
    in.running = state_.Run.running;
    in.single = state_.Run.single;
    in.frameMark = session_.flags().frameActivity.exchange(false);
    in.statusMark = session_.link().statusActivity.exchange(false);
    const SecondCounters shown = session_.watchdog().shown();
    in.framesDrawn = static_cast<int>(shown.drawn);
    in.framesDecoded = static_cast<int>(shown.decoded);
    in.checksumErrors = static_cast<int>(shown.checksumErrors);
    in.dragTarget = mouse_.dragTarget;
    in.decimalSeparator = decimalSeparator_;
    in.buttonFace = toColorRef(palette().color(QPalette::Button));
    return in;
}

void TQS4003MFrm::perFrame() {
    // The variant question runs an event loop: a redraw asked for meanwhile waits for the next
    // request instead of nesting.
    if (inPerFrame_ || panel_.image->bitmap().isNull())
        return;
    inPerFrame_ = true;
    if (session_.flags().currentFileStale.exchange(false))
        state_.Session.current.valid = false;
    FrameSets& frames = session_.frames();
    // The question is asked on a copy of the header, without the lock: no box is ever shown
    // while the decoder may wait for the frame sets.
    HeaderFields header;
    {
        const std::lock_guard lock(frames.mutex);
        header = frames.current->header;
    }
    checkFrameVariant(state_, header, variantFlags_, *ui_, rebuild_);
    FrameOutput out;
    {
        // Taken after the check: a rebuild for another variant lays the bitmap out anew.
        QImage& bitmap = panel_.image->bitmap();
        const std::lock_guard lock(frames.mutex);
        QtCanvas canvas(bitmap);
        out = routine_.run(frameInput(), canvas);
        canvas.finish();
    }
    inPerFrame_ = false;
    showFrameOutput(out);
    panel_.image->update();
}

void TQS4003MFrm::showFrameOutput(const FrameOutput& out) {
    setWindowTitle(QString::fromStdString(out.caption));
    {
        const QSignalBlocker block(panel_.xPos);
        panel_.xPos->setRange(out.scrollMin, out.scrollMax);
        panel_.xPos->setValue(out.scrollPosition);
    }
    menu_.fftA1->setEnabled(out.fftMenu.a1Enabled);
    menu_.fftA1->setChecked(out.fftMenu.a1Checked);
    menu_.fftA2->setEnabled(out.fftMenu.a2Enabled);
    menu_.fftA2->setChecked(out.fftMenu.a2Checked);
    backgroundStartIndex_ = routine_.backgroundStartIndex();

    const GeneratorReadout& g = out.generator;
    const QColor background = toColor(g.background);
    const QColor text = toColor(g.fontColor);
    setBackground(panel_.panelGen, background);
    panel_.labelF->setText(QString::fromStdString(g.labelF));
    panel_.labelV->setText(QString::fromStdString(g.labelV));
    panel_.labelMod->setText(QString::fromStdString(g.labelMod));
    panel_.labelPulse->setText(QString::fromStdString(g.labelPulse));
    panel_.labelMod->setVisible(g.modVisible);
    panel_.labelPulse->setVisible(g.pulseVisible);
    for (QLabel* l : {panel_.labelF, panel_.labelV, panel_.labelMod, panel_.labelPulse})
        setBackground(l, background, text);

    setBackground(panel_.colorTimeDiv, toColor(out.swatches.timeDiv));
    setBackground(panel_.a1.color, toColor(out.swatches.a1));
    setBackground(panel_.a2.color, toColor(out.swatches.a2));
    setBackground(panel_.colorTrig, toColor(out.swatches.trigger));
}

void TQS4003MFrm::drawActivityIndicator() {
    // Drawn into the bitmap's top border, which the next frame draws again anyway.
    QImage& bitmap = panel_.image->bitmap();
    if (bitmap.isNull() || inPerFrame_)
        return;
    {
        QtCanvas canvas(bitmap);
        ActivityIndicator::Input input;
        input.frameMark = session_.flags().frameActivity.exchange(false);
        input.statusMark = session_.link().statusActivity.exchange(false);
        input.active = state_.Run.running || state_.Run.single;
        activity_.draw(canvas, geometry_, state_.Colors, input);
    }
    panel_.image->update();
}

void TQS4003MFrm::singleShotEnded() {
    applySingleShotEnd(state_, params_);
    mirror();
}

void TQS4003MFrm::Timer1Timer() {
    const BusyScope busy(instance_);
    if (session_.threadStarted()) {
        const WatchdogOutcome outcome = session_.tick(state_.russian());
        if (outcome.releaseButtons) {
            RunState& run = state_.Run;
            run.runDown = false;
            run.snglDown = false;
            run.generatorOn = false;
            mirror();
        }
        if (outcome.applyAndStart)
            followUp(FollowUp::ApplyAndStart);
    }
    // Once a second the picture is drawn even without frames (counters, activity, texts).
    requests_.requestDisplay();
    requests_.wake();
}

} // namespace qs40
