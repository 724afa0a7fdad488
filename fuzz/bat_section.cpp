// One BAT section of any content: parse, build (renumbered from 0), parse again.
#include "LoopSectionFuzzing.h"
#include "sections/BatSections.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvelin::fuzzing::CheckRebuild(quorvelin::Table::Bat, data, size, quorvelin::ParseBatSection, quorvelin::BuildBat,
                                   {"Section ", "section_length: ", "section_number: ", "CRC_32: "});
  return 0;
}
