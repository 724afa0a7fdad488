// quorvelin: the launcher and its headless commands (dump, copy, demo).
#include <iostream>
#include <string>
#include <vector>

#include "tools/launcher/HeadlessCommands.h"

int main(int argc, char** argv) {
  return quorvelin::RunLauncher(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
