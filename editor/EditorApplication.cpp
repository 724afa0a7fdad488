#include "editor/EditorApplication.h"

#include <dlfcn.h>

#include <QApplication>
#include <QThread>
#include <clocale>
#include <cstdlib>
#include <mutex>
#include <new>
#include <string>

namespace quorvelin {
namespace {

// Storage for an object that is built once and never destroyed.
template <class T>
class Immortal {
 public:
  template <class... Args>
  T* Construct(Args&&... args) {
    return ::new (static_cast<void*>(storage_)) T(std::forward<Args>(args)...);
  }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
};

bool IsSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

// Whether an X server takes a connection on DISPLAY, authorisation included, as Qt's xcb platform
// will ask for it. libxcb is loaded at run time: without it the xcb platform cannot start either.
bool XServerAnswers() {
  void* xcb = ::dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
  if (!xcb) return false;
  using Connect = void* (*)(const char*, int*);
  using HasError = int (*)(void*);
  using Disconnect = void (*)(void*);
  const auto connect = reinterpret_cast<Connect>(::dlsym(xcb, "xcb_connect"));
  const auto hasError = reinterpret_cast<HasError>(::dlsym(xcb, "xcb_connection_has_error"));
  const auto disconnect = reinterpret_cast<Disconnect>(::dlsym(xcb, "xcb_disconnect"));
  bool ok = false;
  if (connect && hasError && disconnect) {
    void* connection = connect(nullptr, nullptr);
    ok = connection && hasError(connection) == 0;
    if (connection) disconnect(connection);
  }
  ::dlclose(xcb);
  return ok;
}

}  // namespace

bool DisplayAvailable() {
  if (IsSet("QT_QPA_PLATFORM")) {
    const std::string platform = std::getenv("QT_QPA_PLATFORM");
    if (platform.rfind("xcb", 0) != 0) return true;  // offscreen, wayland, vnc ...: Qt's to judge
    return IsSet("DISPLAY") && XServerAnswers();
  }
  if (IsSet("DISPLAY")) return XServerAnswers();
  return IsSet("WAYLAND_DISPLAY");
}

const char* PrepareApplication() {
  static std::mutex mutex;
  const std::lock_guard lock(mutex);
  if (QCoreApplication* existing = QCoreApplication::instance()) {
    if (!qobject_cast<QApplication*>(existing)) return "the process's Qt application has no widgets";
    if (QThread::currentThread() != existing->thread()) return "called from a thread other than the first";
    return nullptr;
  }
  if (!DisplayAvailable()) return "no display";
  static int argc = 1;
  static char name[] = "quorvelin";
  static char* argv[] = {name, nullptr};
  static Immortal<QApplication> application;
  application.Construct(argc, argv);
  std::setlocale(LC_NUMERIC, "C");  // number formats stay those of the "%.4f" lines
  return nullptr;
}

}  // namespace quorvelin
