#include "main/single_instance.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QUuid>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace qs40 {
namespace {

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "single-instance-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

QString uniqueName() {
    return "qs40-test-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// A second start in its own thread, as it would be in its own process: it blocks until the
// first instance has answered.
bool handOverFromSecondStart(const QString& name, int count, const QString& text,
                             SingleInstance::Role& role) {
    std::atomic<bool> finished{false};
    bool delivered = false;
    std::thread second([&] {
        SingleInstance instance(name);
        role = instance.claim();
        if (role == SingleInstance::Role::Second)
            delivered = instance.handOver(count, text);
        finished = true;
    });
    // The first instance serves the connection while the second start waits for its answer.
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    second.join();
    return delivered;
}

TEST(SingleInstance, NameComesFromTheExecutableAndTheUser) {
    EXPECT_EQ(instanceName("/opt/tools/scope.exe", 1000), "scope_Mutex_951413_03-1000");
    EXPECT_EQ(instanceName("/usr/bin/qs40", 0), "qs40_Mutex_951413_03-0");
}

TEST(SingleInstance, SecondStartHandsItsFileToTheFirst) {
    application();
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_EQ(first.claim(), SingleInstance::Role::First);
    QSignalSpy received(&first, &SingleInstance::handedOver);

    SingleInstance::Role role = SingleInstance::Role::First;
    EXPECT_TRUE(handOverFromSecondStart(name, 2, "/data/Probe ä.qss", role));
    EXPECT_EQ(role, SingleInstance::Role::Second);
    ASSERT_TRUE(received.count() == 1 || received.wait(2000));
    EXPECT_EQ(received.at(0).at(0).toInt(), 2);
    EXPECT_EQ(received.at(0).at(1).toString(), "/data/Probe ä.qss");
}

TEST(SingleInstance, SecondStartWithoutAFileSendsACountOfZero) {
    application();
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_EQ(first.claim(), SingleInstance::Role::First);
    QSignalSpy received(&first, &SingleInstance::handedOver);
    SingleInstance::Role role = SingleInstance::Role::First;
    EXPECT_TRUE(handOverFromSecondStart(name, 0, "", role));
    ASSERT_TRUE(received.count() == 1 || received.wait(2000));
    EXPECT_EQ(received.at(0).at(0).toInt(), 0);
}

TEST(SingleInstance, TheNameIsFreeAgainWhenTheFirstEnds) {
    application();
    const QString name = uniqueName();
    {
        SingleInstance first(name);
        ASSERT_EQ(first.claim(), SingleInstance::Role::First);
    }
    SingleInstance next(name);
    EXPECT_EQ(next.claim(), SingleInstance::Role::First);
}

TEST(SingleInstance, HandOverWithNobodyListeningFails) {
    application();
    SingleInstance lonely(uniqueName());
    EXPECT_FALSE(lonely.handOver(1, "a.qsd", 200));
}

TEST(SingleInstance, BusyHoldsNest) {
    application();
    SingleInstance instance(uniqueName());
    EXPECT_TRUE(instance.busy()); // starting
    {
        const BusyScope offer(&instance);
        instance.releaseBusy(); // the start-up ends while a box is open
        EXPECT_TRUE(instance.busy());
        { const BusyScope tick(&instance); }
        EXPECT_TRUE(instance.busy()); // the box is still open
    }
    EXPECT_FALSE(instance.busy());
    instance.releaseBusy(); // more releases than holds stay idle
    EXPECT_FALSE(instance.busy());
    const BusyScope none(nullptr); // no instance: nothing to hold
}

} // namespace
} // namespace qs40
