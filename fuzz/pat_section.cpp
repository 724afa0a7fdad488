// PAT bytes from a device: parse into a fresh tree, then build the branch back.
#include "SectionFuzzing.h"
#include "sections/PatSections.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvelin::fuzzing::FreshTree t;
  quorvelin::ParsePatSection(t.tree, data, size, 1);
  auto& area = quorvelin::fuzzing::TableArea();
  quorvelin::BuildPat(t.tree, 1, area.data(), area.size());
  return 0;
}
