// What the window tests share: one QApplication on the offscreen platform, and a window over a
// fake device and a scripted Ui.
#pragma once

#include "fake_d2xx.h"
#include "main/main_window.h"
#include "scripted_ui.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace qs40::testing {

inline QApplication& application() {
    static int argc = 1;
    static char name[] = "qs40-gui-tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        static QTemporaryDir runtime;
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

inline constexpr const char* kInstrument = "Digital Oscilloscope ZR40";

struct WindowSetup {
    std::int32_t variant = 63; // every part present
    bool russian = false;
    bool instrumentAttached = true;
    std::function<void(ScopeState&)> configure; // stands for the configuration file
    SingleInstance* instance = nullptr;
};

class WindowFixture {
public:
    explicit WindowFixture(const WindowSetup& setup = {}) {
        application();
        if (setup.instrumentAttached)
            d2xx.devices.push_back({kInstrument, 0x11});
        StartOptions options;
        options.executablePath = "/opt/qs40/bin/qs40";
        options.acquisition = false; // the fake device records calls on one thread only
        options.russian = setup.russian;
        options.variant = setup.variant;
        if (setup.configure)
            options.loadConfiguration = [f = setup.configure](ScopeState& s, const std::string&,
                                                              bool) {
                f(s);
                return ConfigReadResult{};
            };
        window = std::make_unique<TQS4003MFrm>(std::move(options), d2xx, &ui, setup.instance);
    }

    template <class T = QObject> T* find(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    QAbstractButton* button(const char* name) const { return find<QAbstractButton>(name); }
    QAction* action(const char* name) const { return find<QAction>(name); }
    void click(const char* name) const { button(name)->click(); }
    void trigger(const char* name) const { action(name)->trigger(); }

    FakeD2xx d2xx;
    ScriptedUi ui;
    std::unique_ptr<TQS4003MFrm> window;
};

} // namespace qs40::testing
