#include "editor/EditorApplication.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QThread>
#include <clocale>
#include <cstdlib>
#include <cstring>
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

// A local X display (":N", ":N.S" or "unix:N") whose server socket takes a connection; a
// remote display is left to Qt.
bool LocalXServerAnswers(std::string display) {
  if (display.rfind("unix:", 0) == 0) display.erase(0, 4);
  if (display.empty() || display[0] != ':') return true;
  const std::string number = display.substr(1, display.find('.') - 1);
  const std::string path = "/tmp/.X11-unix/X" + number;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (number.empty() || path.size() >= sizeof(addr.sun_path)) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

bool DisplayAvailable() {
  if (IsSet("QT_QPA_PLATFORM") || IsSet("WAYLAND_DISPLAY")) return true;
  return IsSet("DISPLAY") && LocalXServerAnswers(std::getenv("DISPLAY"));
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
