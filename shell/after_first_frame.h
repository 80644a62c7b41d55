#pragma once
#include <chrono>
#include <functional>

class QWidget;

namespace nv {

// Runs the action once, from the event loop, after the window has drawn its first frame, or
// after it was hidden without drawing one (a start straight into the tray), or at the latest
// once `latest` has passed (a window the display never exposes). Start-up work that the first
// frame does not show (a durable write, a child process) goes here so that it neither holds
// the frame back nor competes with it for the processor.
void RunAfterFirstFrame(QWidget& window, std::function<void()> action,
                        std::chrono::milliseconds latest = std::chrono::seconds(2));

}  // namespace nv
