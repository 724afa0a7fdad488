// Native side of com.zarn.snmp.QuorvelinHostTest: the simulated device with the sample multiplex
// inside the Java process, and a modal hook in libquorvelin.so that notes the top three levels of
// the tree each editor window shows, tries to open a second editor meanwhile, then closes the
// window; the text of any other box is noted too.
#include <jni.h>

#include <QMessageBox>
#include <utility>
#include <QTreeView>

#include "SampleDevice.h"
#include "editor/ModalHook.h"
#include "host/Quorvelin.h"

namespace {

std::unique_ptr<quorvelin::devsim::Simulator> g_device;
std::string g_shown, g_boxes;
uint32_t g_address = 0;

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
  g_address = g_device ? g_device->Address().address : 0;
  quorvelin::SetModalHook([](QDialog& dialog) {
    if (const auto* box = qobject_cast<QMessageBox*>(&dialog)) g_boxes += box->text().toStdString() + '\n';
    if (const auto* view = dialog.findChild<QTreeView*>()) {
      g_shown.clear();
      Dump(*view->model(), {}, 0);
      ShowQuorvelin(g_address, 1);  // one editor at a time: refused at once
    }
    dialog.close();
  });
  return static_cast<jint>(g_address);
}

extern "C" JNIEXPORT jint JNICALL Java_com_zarn_snmp_QuorvelinHostTest_stopDevice(JNIEnv*, jclass) {
  const int reads = g_device ? g_device->Stats().reads.load() : 0;
  if (g_device) g_device->Stop();
  return reads;
}

extern "C" JNIEXPORT jstring JNICALL Java_com_zarn_snmp_QuorvelinHostTest_shownTree(JNIEnv* env, jclass) {
  return env->NewStringUTF(std::exchange(g_shown, {}).c_str());  // each run shows its own
}

extern "C" JNIEXPORT jstring JNICALL Java_com_zarn_snmp_QuorvelinHostTest_boxesShown(JNIEnv* env, jclass) {
  return env->NewStringUTF(g_boxes.c_str());
}

// A host that builds the editor class itself, without a Qt application of its own.
extern "C" JNIEXPORT jint JNICALL Java_com_zarn_snmp_QuorvelinHostTest_showThroughClass(JNIEnv*, jclass) {
  CDlgQuorvelin editor(g_address, nullptr, 1, nullptr, nullptr, 0);
  return editor.DoModal();
}
