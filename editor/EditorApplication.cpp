#include "editor/EditorApplication.h"

#include <dlfcn.h>

#include <QApplication>
#include <QThread>
#include <clocale>
#include <cstdlib>
#include <future>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>

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

char* const* ApplicationArguments(int*& argc) {
  static int count = 1;
  static char name[] = "quorvelin";
  static char* argv[] = {name, nullptr};
  argc = &count;
  return argv;
}

// The Qt application on a thread of the library's own, for a host without one: its event loop
// runs for the life of the process. Returns the object whose thread runs the loop.
QObject* StartGuiThread() {
  auto ready = std::make_shared<std::promise<QObject*>>();
  std::future<QObject*> anchor = ready->get_future();
  std::thread([ready] {
    int* argc = nullptr;
    char* const* argv = ApplicationArguments(argc);
    static Immortal<QApplication> application;
    QApplication* app = application.Construct(*argc, const_cast<char**>(argv));
    app->setQuitOnLastWindowClosed(false);
    std::setlocale(LC_NUMERIC, "C");  // number formats stay those of the "%.4f" lines
    static Immortal<QObject> object;
    ready->set_value(object.Construct());
    for (;;) app->exec();
  }).detach();
  return anchor.get();
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
  int* argc = nullptr;
  char* const* argv = ApplicationArguments(argc);
  static Immortal<QApplication> application;
  application.Construct(*argc, const_cast<char**>(argv));
  std::setlocale(LC_NUMERIC, "C");  // number formats stay those of the "%.4f" lines
  return nullptr;
}

const char* RunOnGuiThread(const std::function<void()>& work) {
  QObject* anchor = nullptr;
  {
    static std::mutex mutex;
    static QObject* own = nullptr;  // the anchor of the library's own GUI thread
    const std::lock_guard lock(mutex);
    if (!QCoreApplication::instance()) {
      if (!DisplayAvailable()) return "no display";
      own = StartGuiThread();
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (!qobject_cast<QApplication*>(app)) return "the process's Qt application has no widgets";
    anchor = own ? own : app;
  }
  if (QThread::currentThread() == anchor->thread()) {
    work();
  } else {
    QMetaObject::invokeMethod(anchor, [&work] { work(); }, Qt::BlockingQueuedConnection);
  }
  return nullptr;
}

}  // namespace quorvelin
