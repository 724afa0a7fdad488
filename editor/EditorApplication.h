// The Qt application object of an editor opened by a host or by the launcher.
#pragma once

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

}  // namespace quorvelin
