// A received NIT or BAT buffer of any content: the section walk of ReadNit and ReadBat, then the
// whole table built into Submit's area.
#include "SectionFuzzing.h"
#include "sections/BatSections.h"
#include "sections/LoopSections.h"
#include "sections/NitSections.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvelin::fuzzing::FreshTree t;
  const std::span<const uint8_t> buffer(data, size);
  quorvelin::WalkSections(
      buffer, 0x40, [&](std::span<const uint8_t> s) { quorvelin::ParseNitSection(t.tree, s.data(), s.size(), 1); });
  quorvelin::WalkSections(
      buffer, 0x4A, [&](std::span<const uint8_t> s) { quorvelin::ParseBatSection(t.tree, s.data(), s.size(), 1); });
  auto& area = quorvelin::fuzzing::TableArea();
  quorvelin::BuildNit(t.tree, 1, area.data(), area.size());
  quorvelin::BuildBat(t.tree, 1, area.data(), area.size());
  return 0;
}
