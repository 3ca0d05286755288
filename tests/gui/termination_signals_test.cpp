// SIGTERM, SIGINT and SIGHUP close the window the ordinary way: its configuration is saved,
// also when a box is open at that moment.
#include "main/termination_signals.h"
#include "main_window_test_support.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QTimer>

#include <csignal>

namespace qs40::testing {
namespace {

struct SavingWindow {
    FakeD2xx d2xx;
    ScriptedUi ui;
    int saves = 0;
    std::unique_ptr<TQS4003MFrm> window;

    SavingWindow() {
        application();
        StartOptions options;
        options.executablePath = "/opt/qs40/bin/qs40";
        options.acquisition = false;
        options.saveConfiguration = [this](const ScopeState&, const std::string&) { ++saves; };
        window = std::make_unique<TQS4003MFrm>(std::move(options), d2xx, &ui);
        window->show();
    }
    bool closedWithin(int ms) {
        const QDeadlineTimer deadline(ms);
        while (window->isVisible() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return !window->isVisible();
    }
};

TEST(TerminationSignals, EachClosesTheWindowAndSavesItsConfiguration) {
    for (const int signal : TerminationSignals::kSignals) {
        SavingWindow w;
        const TerminationSignals termination;
        std::raise(signal);
        EXPECT_TRUE(w.closedWithin(5000)) << signal;
        EXPECT_EQ(w.saves, 1) << signal;
    }
}

TEST(TerminationSignals, AnOpenBoxIsAnsweredNoAndTheWindowStillCloses) {
    SavingWindow w;
    const TerminationSignals termination;
    QTimer::singleShot(0, [] { std::raise(SIGTERM); });
    const auto answer = QMessageBox::question(w.window.get(), "qs40", "Go on?",
                                              QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(answer, QMessageBox::No);
    EXPECT_TRUE(w.closedWithin(5000));
    EXPECT_EQ(w.saves, 1);
}

TEST(TerminationSignals, ThePreviousHandlersComeBack) {
    struct sigaction before {};
    sigaction(SIGTERM, nullptr, &before);
    {
        application();
        const TerminationSignals termination;
        struct sigaction during {};
        sigaction(SIGTERM, nullptr, &during);
        EXPECT_NE(during.sa_handler, before.sa_handler);
    }
    struct sigaction after {};
    sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

} // namespace
} // namespace qs40::testing
