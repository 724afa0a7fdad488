// A capture of any content, fed in chunks whose sizes the input chooses; the tables taken are
// served to the answer walk of a read.
#include "sections/CaptureTables.h"
#include "sections/StreamWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quorvelin;
  if (size < 1) return 0;
  const size_t chunk = 1 + data[0] * 3u;  // cuts packets at any byte
  CaptureSelection selection({});
  CaptureReader reader([&](const CapturedSection& s) { selection.Take(s); }, CaptureReader::Pids::All);
  for (size_t at = 1; at < size; at += chunk) reader.Feed(data + at, std::min(chunk, size - at));
  reader.Finish();
  const PortTables t = selection.Tables();
  selection.Report();
  for (const Packets* p : {&t.pat, &t.sdt, &t.nit, &t.bat, &t.time}) {
    std::vector<uint8_t> answer(4096);
    PutAnswer(*p, answer.data(), answer.size());
    AnswerSections(answer.data(), answer.size(), {0x00, 0x40, 0x42, 0x4A, 0x70, 0x73});
  }
  return 0;
}
