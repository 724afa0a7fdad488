// Native side of com.zarn.snmp.QuorvelinHostTest: the simulated device with the sample multiplex
// inside the Java process, and a modal hook in libquorvelin.so that notes the top three levels of
// the tree each editor window shows, then closes the window.
#include <jni.h>

#include <QTreeView>

#include "SampleDevice.h"
#include "editor/ModalHook.h"

namespace {

std::unique_ptr<quorvelin::devsim::Simulator> g_device;
std::string g_shown;

void Dump(const QAbstractItemModel& model, const QModelIndex& parent, int depth) {
  for (int r = 0; depth < 3 && r < model.rowCount(parent); ++r) {
    g_shown += std::string(static_cast<size_t>(depth) * 2, ' ') + model.index(r, 0, parent).data().toString().toStdString() + '\n';
    Dump(model, model.index(r, 0, parent), depth + 1);
  }
}

}  // namespace

// The device's IPv4 address in network byte order, as a host passes it; 0 when it did not start.
extern "C" JNIEXPORT jint JNICALL Java_com_zarn_snmp_QuorvelinHostTest_startDevice(JNIEnv*, jclass) {
  g_device = quorvelin::test::StartSampleDevice();
  quorvelin::SetModalHook([](QDialog& editor) {
    g_shown.clear();
    if (const auto* view = editor.findChild<QTreeView*>()) Dump(*view->model(), {}, 0);
    editor.close();
  });
  return g_device ? static_cast<jint>(g_device->Address().address) : 0;
}

extern "C" JNIEXPORT jint JNICALL Java_com_zarn_snmp_QuorvelinHostTest_stopDevice(JNIEnv*, jclass) {
  const int reads = g_device ? g_device->Stats().reads.load() : 0;
  if (g_device) g_device->Stop();
  return reads;
}

extern "C" JNIEXPORT jstring JNICALL Java_com_zarn_snmp_QuorvelinHostTest_shownTree(JNIEnv* env, jclass) {
  return env->NewStringUTF(g_shown.c_str());
}
