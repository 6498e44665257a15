#pragma once
// A window of its own (no parent: the windows stand side by side) that
// another window owns: it goes when the owner goes, unless it went first
// (closed with Qt::WA_DeleteOnClose).

#include <QPointer>

template <class Window>
class OwnedWindow {
public:
    OwnedWindow() = default;
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;
    ~OwnedWindow() { delete window_.data(); }

    // Owns window from now on; a window owned before is left to itself.
    OwnedWindow& operator=(Window* window)
    {
        window_ = window;
        return *this;
    }
    Window* get() const { return window_.data(); }
    Window* operator->() const { return window_.data(); }
    explicit operator bool() const { return !window_.isNull(); }
    // Closes the window, when there is one.
    void close()
    {
        if (window_)
            window_->close();
    }
    // Deletes the window now.
    void reset() { delete window_.data(); }

private:
    QPointer<Window> window_;
};
