// CAT bytes from a device or a table file: parse into a fresh tree, then build the branch back.
#include "SectionFuzzing.h"
#include "sections/CatSections.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvelin::fuzzing::FreshTree t;
  quorvelin::ParseCatSection(t.tree, data, size, 2);
  std::vector<uint8_t> area(4106, 0xFF);
  quorvelin::BuildCat(t.tree, 2, area.data(), area.size());
  return 0;
}
