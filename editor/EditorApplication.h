// The Qt application object of an editor opened by a host or by the launcher.
#pragma once

#include <functional>

namespace quorvelin {

// Whether a Qt platform can start here (Qt aborts the whole process, host included, when none
// can): an X server that takes a connection on DISPLAY, else a Wayland display, or a platform
// other than xcb named by QT_QPA_PLATFORM.
bool DisplayAvailable();

// Why an editor cannot open on this thread now (no display, a thread other than Qt's, a host
// application without widgets), or nullptr when it can. Creates the application object when
// the process has none; it is never destroyed (deleting it inside a Java virtual machine
// corrupts the heap at the machine's exit).
const char* PrepareApplication();

// Runs `work` on the thread of the process's Qt application and returns when it is done: at once
// when the caller is that thread, else through that thread's event loop while the caller waits
// (a host application must keep its Qt thread's loop running). When the process has no Qt
// application, the library starts one on a GUI thread of its own, which lives until the process
// ends. nullptr when the work ran, else why it could not (no display, no widgets).
const char* RunOnGuiThread(const std::function<void()>& work);

}  // namespace quorvelin
