// Drives the real application from inside its own event loop, as a person at the keyboard would,
// and writes what the window and its alerts show to standard output.
#pragma once

namespace tavrel::testing {

/// Runs the application (runApplication) with `argv`, and once its window is up performs the
/// actions argv[2...] one after another, 300 ms apart, until the window closes:
///   window        writes "window: <title>", "menu: ...", "buttons: ...", "version: ..."
///   alert         writes "alert: none", or the open alert: "alert: <modality> <icon>", a
///                 "text: ..." line per line the person reads, and "button: <title>"
///   Return/Escape presses the key in the open alert, else in the window
///   menu          presses Ctrl+L, the Open Log Folder item's shortcut
///   shot:<path>   saves a picture of the open alert, else of the window, as a PNG file
/// A window still open after the last action is closed with exit status 3, after "still open".
/// Then writes "exit: <status>" and returns the application's exit status.
int driveWindow(int argc, char** argv);

} // namespace tavrel::testing
