#pragma once

namespace nv {

// The product's name: the title of its windows, message boxes and tray icon, and the name the
// system knows it by where it starts it.
inline constexpr char kProductTitle[] = "Velqor Norvane";
// The name of its installed desktop entry, without ".desktop": on Wayland the windows' app id,
// by which the desktop finds the program's name and icon.
inline constexpr char kDesktopEntryName[] = "velqor-norvane";

// The registry value under HKEY_LOCAL_MACHINE that starts the program at login; on Linux it is
// mirrored as a desktop autostart entry.
inline constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kAutostartValueName = kProductTitle;

}  // namespace nv
