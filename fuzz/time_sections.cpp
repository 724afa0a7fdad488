// Bytes of PID 0x0014: the TDT at the start and the TOT at offset 184, then the TOT built back.
#include "SectionFuzzing.h"
#include "sections/TimeSections.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvelin::fuzzing::FreshTree t;
  quorvelin::ParseTdtSection(t.tree, data, size, 1);
  quorvelin::ParseTotSection(t.tree, data, size, 1);
  if (size > quorvelin::kTotOffset)
    quorvelin::ParseTotSection(t.tree, data + quorvelin::kTotOffset, size - quorvelin::kTotOffset, 2);
  std::vector<uint8_t> area(1024, 0xFF);
  quorvelin::BuildTot(t.tree, 1, area.data(), area.size());
  quorvelin::BuildTot(t.tree, 2, area.data() + 188, area.size() - 188);
  return 0;
}
