// Native side of com.zarn.snmp.EditorProbe: watches, from a thread of its own, for the Qt
// application the editor library creates, then on the GUI thread for the editor window; once
// its tree shows items it notes the top three levels and closes the window.
#include <jni.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QTreeView>
#include <QWidget>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace {

std::mutex g_mutex;
std::string g_shown;

void Dump(const QAbstractItemModel& model, const QModelIndex& parent, int depth, std::string& out) {
  if (depth > 2) return;
  for (int r = 0; r < model.rowCount(parent); ++r) {
    const QModelIndex i = model.index(r, 0, parent);
    out += std::string(static_cast<size_t>(depth) * 2, ' ') + i.data().toString().toStdString() + "\n";
    Dump(model, i, depth + 1, out);
  }
}

// On the GUI thread: the editor, once it is up with a filled tree, or nullptr.
QWidget* ShownEditor() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (!w->isVisible() || w->objectName() != QLatin1String("dlg4000")) continue;
    auto* view = w->findChild<QTreeView*>();
    if (view && view->model() && view->model()->rowCount() > 0) return w;
  }
  return nullptr;
}

void WatchOnGuiThread(std::chrono::steady_clock::time_point deadline) {
  if (QWidget* editor = ShownEditor()) {
    std::string shown;
    const auto* view = editor->findChild<QTreeView*>();
    Dump(*view->model(), {}, 0, shown);
    {
      const std::lock_guard lock(g_mutex);
      g_shown = shown;
    }
    editor->close();
    return;
  }
  if (std::chrono::steady_clock::now() > deadline) return;
  QTimer::singleShot(50, QCoreApplication::instance(), [deadline] { WatchOnGuiThread(deadline); });
}

}  // namespace

extern "C" JNIEXPORT void JNICALL Java_com_zarn_snmp_EditorProbe_closeEditorWhenShown(JNIEnv*, jclass, jint timeoutMs) {
  {
    const std::lock_guard lock(g_mutex);
    g_shown.clear();
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::thread([deadline] {
    // The application object appears when the library opens its first editor.
    while (!QCoreApplication::instance()) {
      if (std::chrono::steady_clock::now() > deadline) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), [deadline] { WatchOnGuiThread(deadline); },
                              Qt::QueuedConnection);
  }).detach();
}

extern "C" JNIEXPORT jstring JNICALL Java_com_zarn_snmp_EditorProbe_shownTree(JNIEnv* env, jclass) {
  const std::lock_guard lock(g_mutex);
  return env->NewStringUTF(g_shown.c_str());
}
