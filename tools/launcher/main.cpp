// quorvelin: the launcher and its headless commands (dump, copy, demo).
#include <malloc.h>

#include <iostream>
#include <string>
#include <vector>

#include "tools/launcher/HeadlessCommands.h"
#ifdef QUORVELIN_LAUNCHER_EDITOR
#include "tools/launcher/qt/EditorLaunch.h"
#endif

int main(int argc, char** argv) {
  // The read buffers (a BAT's is 200 KB) come from the heap and are used again, rather than
  // each from a fresh mapping whose every page faults in: with many devices read at once that
  // was most of the time.
  mallopt(M_MMAP_THRESHOLD, 8 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  const std::vector<std::string> args(argv + 1, argv + argc);
#ifdef QUORVELIN_LAUNCHER_EDITOR
  // Built with Qt: --device and demo (with a display) open the editor.
  if (const auto status = quorvelin::RunEditorCommand(args, std::cout, std::cerr)) return *status;
#endif
  return quorvelin::RunLauncher(args, std::cout, std::cerr);
}
