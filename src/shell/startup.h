// The program's start-up and tear-down, apart from the entry point so that tests can run
// the same sequence in-process.
#pragma once

namespace orvgen {

// Application object, both windows hidden, texts, hot keys, tray icon and balloon.
void StartUp();
// Runs the message loop until the quit message, applying the launch show command first.
int RunMessageLoop();
// Destroys the windows, the last created first: hot keys released, tray icon removed.
void TearDown();

}  // namespace orvgen
