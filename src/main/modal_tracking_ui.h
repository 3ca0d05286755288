// The window's Ui: every box and file dialog goes through the Ui it was given, and the window
// knows while one is open. Work that must not run inside a box's event loop (a file handed
// over by a second start) waits until the last one is answered.
#pragma once

#include "scope/ui_port.h"

#include <functional>

namespace qs40 {

class ModalTrackingUi final : public Ui {
public:
    explicit ModalTrackingUi(Ui& inner) : inner_(inner) {}

    // Runs each time the last open box or dialog is answered.
    void setOnAllClosed(std::function<void()> f) { onAllClosed_ = std::move(f); }
    bool modalOpen() const { return depth_ > 0; }
    // Runs a modal dialog of the window's own (its exec) as an open box.
    template <class F> auto modal(F&& runDialog) {
        const Open open(*this);
        return runDialog();
    }

    BoxAnswer messageBox(const std::string& caption, const std::string& text, BoxIcon icon,
                         BoxButtons buttons) override {
        const Open open(*this);
        return inner_.messageBox(caption, text, icon, buttons);
    }
    std::optional<std::string> openFileName(const FileDialogRequest& request) override {
        const Open open(*this);
        return inner_.openFileName(request);
    }
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override {
        const Open open(*this);
        return inner_.saveFileName(request);
    }
    void processMessages() override { inner_.processMessages(); }

private:
    class Open {
    public:
        explicit Open(ModalTrackingUi& ui) : ui_(ui) { ++ui_.depth_; }
        ~Open() {
            if (--ui_.depth_ == 0 && ui_.onAllClosed_)
                ui_.onAllClosed_();
        }
        Open(const Open&) = delete;
        Open& operator=(const Open&) = delete;

    private:
        ModalTrackingUi& ui_;
    };

    Ui& inner_;
    int depth_ = 0;
    std::function<void()> onAllClosed_;
};

} // namespace qs40
