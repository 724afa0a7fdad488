// One NIT section of any content: parse, build, parse again.
#include "LoopSectionFuzzing.h"
#include "sections/NitSections.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvelin::fuzzing::CheckRebuild(quorvelin::Table::Nit, data, size, quorvelin::ParseNitSection, quorvelin::BuildNit,
                                   {"section_length: ", "last_section_number: ", "CRC_32: "});
  return 0;
}
