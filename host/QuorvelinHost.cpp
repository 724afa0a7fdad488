// The entry points of libquorvelin.so. An editor that cannot open (no display, a call from a
// thread other than the first) is refused with a line on stderr: nothing may abort the host.
#include <jni.h>

#include <cstdint>
#include <cstdio>

#include "editor/CDlgQuorvelin.h"
#include "editor/EditorApplication.h"
#include "host/Quorvelin.h"

namespace {

void RunEditor(unsigned long deviceAddress, int portMode, quorvelin::HostFunction first,
               quorvelin::HostFunction second) {
  if (const char* refusal = quorvelin::PrepareApplication()) {
    std::fprintf(stderr, "Quorvelin: the editor cannot open: %s.\n", refusal);
    return;
  }
  quorvelin::CDlgQuorvelin editor(deviceAddress, nullptr, portMode, first, second, 0);
  editor.DoModal();
}

}  // namespace

void ShowQuorvelin(unsigned long deviceAddress, int portMode) { RunEditor(deviceAddress, portMode, nullptr, nullptr); }

void ShowQuorvelin(int portMode, bool (*first)(), bool (*second)()) { RunEditor(0, portMode, first, second); }

// Native method int ShowQuorvelin(int address, int ignored, int portMode) of com.zarn.snmp.Quorvelin.
extern "C" JNIEXPORT jint JNICALL Java_com_zarn_snmp_Quorvelin_ShowQuorvelin(JNIEnv* /*env*/, jobject /*self*/,
                                                                            jint deviceAddress, jint /*ignored*/,
                                                                            jint portMode) {
  // jint is signed: 192.168.x.x must not sign-extend into the unsigned long.
  ShowQuorvelin(static_cast<unsigned long>(static_cast<uint32_t>(deviceAddress)), portMode);
  return 1;
}
