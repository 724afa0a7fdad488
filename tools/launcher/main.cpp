// quorvelin: the launcher and its headless commands (dump, copy, demo).
#include <iostream>
#include <string>
#include <vector>

#include "tools/launcher/HeadlessCommands.h"
#ifdef QUORVELIN_LAUNCHER_EDITOR
#include "tools/launcher/qt/EditorLaunch.h"
#endif

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
#ifdef QUORVELIN_LAUNCHER_EDITOR
  // Built with Qt: --device and demo (with a display) open the editor.
  if (const auto status = quorvelin::RunEditorCommand(args, std::cout, std::cerr)) return *status;
#endif
  return quorvelin::RunLauncher(args, std::cout, std::cerr);
}
