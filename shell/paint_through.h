#pragma once

namespace nv {

// Lets the windows paint in the middle of a long operation that runs without the event loop:
// pending paints and the window system's exposures are handled, while input, timers and
// socket notifiers wait for the loop, so that no command, tick or request runs in between.
// A call made while one is already handling events returns at once.
void LetWindowsPaint();

}  // namespace nv
