// A NIT table file of any content and length: unpack, walk every section, build the table into
// the 4106-byte file area.
#include "SectionFuzzing.h"
#include "sections/NitSections.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvelin::fuzzing::FreshTree t;
  quorvelin::ParseNitPackets(t.tree, data, size, 2);
  std::vector<uint8_t> area(4106, 0xFF);
  quorvelin::BuildNit(t.tree, 2, area.data(), area.size());
  return 0;
}
