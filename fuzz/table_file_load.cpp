// A table file of any content loaded into the NIT, BAT or CAT of a port (chosen by the first
// byte), then saved again.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "SectionFuzzing.h"
#include "sections/TableFiles.h"
#include "util/Ui.h"

namespace {

// The two files of this process in the working directory (scripts/fuzz runs in memory), removed
// when the fuzzer exits.
struct ScratchFiles {
  std::string in = "quorvelin-fuzz-load-" + std::to_string(::getpid()) + ".data";
  std::string out = "quorvelin-fuzz-save-" + std::to_string(::getpid()) + ".data";
  ~ScratchFiles() {
    std::remove(in.c_str());
    std::remove(out.c_str());
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const ScratchFiles files;
  const std::string& in = files.in;
  const std::string& out = files.out;
  std::ofstream(in, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  quorvelin::fuzzing::FreshTree t;
  const quorvelin::Table tables[] = {quorvelin::Table::Nit, quorvelin::Table::Bat, quorvelin::Table::Cat};
  const quorvelin::Table table = tables[data[0] % 3];
  const int port = 1 + (data[0] >> 7);
  quorvelin::RecordingUi ui;
  t.tree.SelectItem(t.tree.Root(port, table));
  ui.fileAnswers.push_back(in);
  quorvelin::LoadCurrentTable(t.tree, ui);
  ui.fileAnswers.push_back(out);
  quorvelin::SaveCurrentTable(t.tree, ui);
  return 0;
}
