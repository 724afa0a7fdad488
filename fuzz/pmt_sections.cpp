// One receive of a program's PMT: walk its sections into a fresh tree, then build the slots.
#include "SectionFuzzing.h"
#include "sections/PmtSections.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvelin::fuzzing::FreshTree t;
  quorvelin::PmtReadState state;
  quorvelin::ParsePmtSections(t.tree, data, size, 1, 0x0100, state);
  auto& slots = quorvelin::fuzzing::PmtSlotArea();
  quorvelin::BuildPmts(t.tree, 1, slots.data(), slots.size());
  return 0;
}
