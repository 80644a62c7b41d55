#pragma once
#include <QKeyEvent>
#include <cstdint>

// Keyboard events in the terms the hot-key records keep: Windows virtual-key codes and MOD_*
// flags.

// The virtual-key code of the key of an event: letters, digits, function and named keys by what
// they are, punctuation by where it lies (as on a US keyboard, so that a shifted digit is still
// its digit key); 0 when the key has no code.
uint32_t VirtualKeyOf(const QKeyEvent& event);

// MOD_SHIFT, MOD_ALT and MOD_CONTROL as held at the event: a modifier key counts as held while
// it goes down and no longer once it comes up, whatever the windowing system reported.
uint32_t HeldModifiersOf(const QKeyEvent& event);
