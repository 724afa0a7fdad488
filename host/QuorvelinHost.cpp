// The entry points of libquorvelin.so. Each runs the editor on the Qt application's thread (the
// library's own when the host has none) and waits for it; nothing may abort the host: an editor
// that cannot open is refused with a line on stderr.
#include <jni.h>

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "device/Flows.h"
#include "editor/CDlgQuorvelin.h"
#include "editor/EditorApplication.h"
#include "host/Quorvelin.h"

namespace {

constexpr const char* kAlreadyOpenText = "The editor is already open: close it first.";

std::atomic<bool> g_editorOpen{false};

// A second call while an editor is open: said on stderr and, on top of the open editor, in a box.
void RefuseSecondEditor() {
  std::fprintf(stderr, "Quorvelin: %s\n", kAlreadyOpenText);
  quorvelin::RunOnGuiThread([] {
    quorvelin::QtUi ui;
    ui.MessageBox(kAlreadyOpenText, quorvelin::kSubmitFailedCaption, quorvelin::MsgIcon::Information,
                  quorvelin::MsgButtons::Ok);
  });
}

}  // namespace

CDlgQuorvelin::CDlgQuorvelin(unsigned long deviceAddress, QWidget* parent, int portMode, bool (*first)(),
                             bool (*second)(), int protocolMode)
    : deviceAddress_(deviceAddress),
      parent_(parent),
      portMode_(portMode),
      first_(first),
      second_(second),
      protocolMode_(protocolMode) {}

int CDlgQuorvelin::DoModal() {
  if (g_editorOpen.exchange(true)) {
    RefuseSecondEditor();
    return -1;
  }
  int result = -1;
  const char* refusal = quorvelin::RunOnGuiThread([&] {
    quorvelin::CDlgQuorvelin editor(deviceAddress_, parent_, portMode_, first_, second_, protocolMode_);
    result = editor.DoModal();
  });
  g_editorOpen = false;
  if (refusal) std::fprintf(stderr, "Quorvelin: the editor cannot open: %s.\n", refusal);
  return result;
}

void ShowQuorvelin(unsigned long deviceAddress, int portMode) {
  CDlgQuorvelin(deviceAddress, nullptr, portMode, nullptr, nullptr, 0).DoModal();
}

void ShowQuorvelin(int portMode, bool (*first)(), bool (*second)()) {
  CDlgQuorvelin(0, nullptr, portMode, first, second, 0).DoModal();
}

// Native method int ShowQuorvelin(int address, int ignored, int portMode) of com.zarn.snmp.Quorvelin.
extern "C" JNIEXPORT jint JNICALL Java_com_zarn_snmp_Quorvelin_ShowQuorvelin(JNIEnv* /*env*/, jobject /*self*/,
                                                                            jint deviceAddress, jint /*ignored*/,
                                                                            jint portMode) {
  // jint is signed: 192.168.x.x must not sign-extend into the unsigned long.
  ShowQuorvelin(static_cast<unsigned long>(static_cast<uint32_t>(deviceAddress)), portMode);
  return 1;
}
