#include "main/termination_signals.h"

#include <QApplication>
#include <QWidget>

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace qs40 {
namespace {

// The write end of the pipe, for the handler: a plain int is what a handler may touch.
volatile std::sig_atomic_t writeEnd = -1;

} // namespace

TerminationSignals::TerminationSignals() {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot create the pipe for the termination signals");
    writeEnd = pipe_[1];
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { closeWindows(); });

    struct sigaction action {};
    action.sa_handler = &TerminationSignals::onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &action, &previous_[i]);
}

TerminationSignals::~TerminationSignals() {
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &previous_[i], nullptr);
    writeEnd = -1;
    notifier_.reset();
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void TerminationSignals::onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    if (writeEnd >= 0)
        [[maybe_unused]] const auto written = ::write(writeEnd, &byte, 1);
    errno = saved;
}

void TerminationSignals::closeWindows() {
    char bytes[16];
    while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
    }
    // An open box first (its answer is No or Cancel), then the windows with their close events.
    // Bounded: a box that stays open after its close is left to closeAllWindows.
    constexpr int kMostBoxes = 8;
    for (int i = 0; i < kMostBoxes; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->close())
            break;
    }
    QApplication::closeAllWindows();
}

} // namespace qs40
