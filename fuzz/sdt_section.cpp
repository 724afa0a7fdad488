// SDT bytes from a device, names decoded under each text code: parse, then build back.
#include "SectionFuzzing.h"
#include "sections/SdtSections.h"
#include "util/TextCode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int kCodes[] = {0, 1, 3, 4, 10};
  quorvelin::SetTextCode(size > 0 ? kCodes[data[size - 1] % 5] : 0);
  quorvelin::fuzzing::FreshTree t;
  quorvelin::ParseSdtSection(t.tree, data, size, 1, 0);
  auto& area = quorvelin::fuzzing::TableArea();
  quorvelin::BuildSdt(t.tree, 1, area.data(), area.size());
  return 0;
}
