#include "tools/devsim/SampleMultiplex.h"

#include <cstring>

#include "device/Framing.h"
#include "sections/Packets.h"
#include "util/DateTime.h"

namespace quorvelin::devsim {
namespace {

constexpr uint16_t kOriginalNetwork = 0x2000;
constexpr const char* kProvider = "Metro Cable";
constexpr const char* kNetworkName = "Metro Cable Network";
// Service names in CP936: "News channel" and "General channel" in Chinese.
constexpr const char* kNewsChannelGbk = "\xd0\xc2\xce\xc5\xc6\xb5\xb5\xc0";
constexpr const char* kGeneralChannelGbk = "\xd7\xdb\xba\xcf\xc6\xb5\xb5\xc0";

struct Service {
  uint16_t id;
  uint8_t type;
};

void ServiceDescriptor(SectionWriter& w, uint8_t type, const char* name) {
  w.Descriptor(0x48, [&](SectionWriter& d) {
    d.U8(type).U8(static_cast<uint32_t>(std::strlen(kProvider))).Text(kProvider);
    d.U8(static_cast<uint32_t>(std::strlen(name))).Text(name);
  });
}

void ServiceList(SectionWriter& w, std::initializer_list<Service> services) {
  w.Descriptor(0x41, [&](SectionWriter& d) {
    for (const Service& s : services) d.U16(s.id).U8(s.type);
  });
}

void CaDescriptor(SectionWriter& w, uint16_t system, uint16_t pid, std::initializer_list<uint8_t> privateBytes) {
  w.Descriptor(0x09, [&](SectionWriter& d) { d.U16(system).U16(0xE000 | pid).Bytes(privateBytes); });
}

void Language(SectionWriter& w, const char* code) {
  w.Descriptor(0x0A, [&](SectionWriter& d) { d.Text(code).U8(0x00); });
}

// One elementary stream of a PMT: stream_type, PID and its descriptors.
template <typename Fill>
void Stream(SectionWriter& w, uint8_t type, uint16_t pid, Fill descriptors) {
  w.U8(type).U16(0xE000 | pid).LengthPrefixed(descriptors);
}
void Stream(SectionWriter& w, uint8_t type, uint16_t pid) {
  Stream(w, type, pid, [](SectionWriter&) {});
}

// A running service of an SDT with both EIT flags set.
template <typename Fill>
void SdtService(SectionWriter& w, uint16_t id, bool scrambled, Fill descriptors) {
  constexpr uint8_t kRunning = 4;
  w.U16(id).U8(0xFF).LengthPrefixed(descriptors, static_cast<uint8_t>(kRunning << 5 | (scrambled ? 0x10 : 0)));
}

Packets TimeTables(const DateTime& utc, const DateTime& change) {
  std::vector<uint8_t> tdt = {kTdtTableId, 0x70, 0x05, 0, 0, 0, 0, 0};
  DateToUtcTime(utc, tdt.data(), 3);
  std::vector<uint8_t> tot(25);
  tot[0] = kTotTableId;
  tot[1] = 0x70;  // section_syntax_indicator 0 (ETSI EN 300 468 5.2.6)
  tot[2] = 0x1A;
  DateToUtcTime(utc, tot.data(), 3);
  const uint8_t loop[] = {0xF0, 0x0F, 0x58, 0x0D, 'C', 'H', 'N', 0x02, 0x08, 0x00};
  std::memcpy(tot.data() + 8, loop, sizeof loop);
  DateToUtcTime(change, tot.data(), 18);
  tot[23] = 0x08;
  tot[24] = 0x00;
  const uint32_t crc = Crc32Mpeg(tot.data(), tot.size());
  for (int shift = 24; shift >= 0; shift -= 8) tot.push_back(static_cast<uint8_t>(crc >> shift));
  Packets out = PacketsOf(tdt, kTdtTotPid);
  Packets second = PacketsOf(tot, kTdtTotPid);
  second[3] = 0x11;  // the TOT packet continues the TDT packet's continuity count
  out.insert(out.end(), second.begin(), second.end());
  return out;
}

}  // namespace

SectionWriter::SectionWriter(uint8_t tableId, uint8_t fixedBits, uint16_t identifier, uint8_t sectionNumber,
                             uint8_t lastSectionNumber) {
  bytes_ = {tableId, static_cast<uint8_t>(0x80 | fixedBits), 0};
  U16(identifier).U8(0xC1).U8(sectionNumber).U8(lastSectionNumber);
}

SectionWriter& SectionWriter::U8(uint32_t v) {
  bytes_.push_back(static_cast<uint8_t>(v));
  return *this;
}

SectionWriter& SectionWriter::U16(uint32_t v) { return U8(v >> 8).U8(v); }

SectionWriter& SectionWriter::Bytes(std::initializer_list<uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

SectionWriter& SectionWriter::Text(const char* text) {
  bytes_.insert(bytes_.end(), text, text + std::strlen(text));
  return *this;
}

std::vector<uint8_t> SectionWriter::Finish() {
  const size_t length = bytes_.size() - 3 + 4;
  bytes_[1] = static_cast<uint8_t>((bytes_[1] & 0xF0) | ((length >> 8) & 0x0F));
  bytes_[2] = static_cast<uint8_t>(length & 0xFF);
  const uint32_t crc = Crc32Mpeg(bytes_.data(), bytes_.size());
  for (int shift = 24; shift >= 0; shift -= 8) bytes_.push_back(static_cast<uint8_t>(crc >> shift));
  return bytes_;
}

PortTables SamplePortA() {
  PortTables t;
  t.pat = PacketsOf(SectionWriter(kPatTableId, 0x30, 0x0001)
                        .U16(0x0000).U16(0xE010)
                        .U16(0x0065).U16(0xE100)
                        .U16(0x0066).U16(0xE200)  // two programs whose PMTs share PID 0x0200
                        .U16(0x0067).U16(0xE200)
                        .Finish(),
                    kPatPid);

  SectionWriter news(kPmtTableId, 0x30, 0x0065);
  news.U16(0xE101).LengthPrefixed([](SectionWriter& w) {
    CaDescriptor(w, 0x0B00, 0x0900, {0x01, 0x02});
    w.Descriptor(0x0E, [](SectionWriter& d) { d.Bytes({0xC0, 0x1F, 0x40}); });  // maximum_bitrate
  });
  Stream(news, 0x02, 0x0101, [](SectionWriter& w) { w.Descriptor(0x52, [](SectionWriter& d) { d.U8(0x01); }); });
  Stream(news, 0x04, 0x0102, [](SectionWriter& w) { Language(w, "chi"); });

  SectionWriter chinese(kPmtTableId, 0x30, 0x0066);
  chinese.U16(0xE201).LengthPrefixed([](SectionWriter&) {});
  Stream(chinese, 0x1B, 0x0201);
  Stream(chinese, 0x03, 0x0202, [](SectionWriter& w) {
    CaDescriptor(w, 0x0B00, 0x0903, {});
    Language(w, "eng");
  });

  SectionWriter radio(kPmtTableId, 0x30, 0x0067);
  radio.U16(0xE301).LengthPrefixed([](SectionWriter& w) {
    w.Descriptor(0x05, [](SectionWriter& d) { d.Text("CUEI"); });  // registration
  });
  Stream(radio, 0x02, 0x0301);
  Stream(radio, 0x04, 0x0302, [](SectionWriter& w) { Language(w, "chi"); });
  Stream(radio, 0x06, 0x0303, [](SectionWriter& w) {
    w.Descriptor(0x56, [](SectionWriter& d) { d.Text("chi").Bytes({0x09, 0x00}); });  // teletext
  });
  t.pmts = {{0x0100, 0x0065, PacketsOf(news.Finish(), 0x0100)},
            {0x0200, 0x0066, PacketsOf(chinese.Finish(), 0x0200)},
            {0x0200, 0x0067, PacketsOf(radio.Finish(), 0x0200)}};

  SectionWriter sdt(kSdtTableId, 0x70, 0x0001);
  sdt.U16(kOriginalNetwork).U8(0xFF);
  SdtService(sdt, 0x0065, false, [](SectionWriter& w) { ServiceDescriptor(w, 0x01, "News One"); });
  SdtService(sdt, 0x0066, true, [](SectionWriter& w) {
    ServiceDescriptor(w, 0x01, kNewsChannelGbk);
    w.Descriptor(0x53, [](SectionWriter& d) { d.U16(0x0B00); });  // CA_identifier
  });
  SdtService(sdt, 0x0067, false, [](SectionWriter& w) {
    ServiceDescriptor(w, 0x02, "City Radio");
    w.Descriptor(0x4A, [](SectionWriter& d) { d.U16(0x0002).U16(kOriginalNetwork).U16(0x00C9).U8(0x01).Bytes({0xAA, 0xBB}); });
  });
  t.sdt = PacketsOf(sdt.Finish(), kSdtBatPid);

  SectionWriter cat(kCatTableId, 0x30, 0xFFFF);
  CaDescriptor(cat, 0x0B00, 0x0901, {0x10, 0x20, 0x30});
  CaDescriptor(cat, 0x0604, 0x0902, {});
  t.cat = PacketsOf(cat.Finish(), kCatPid);

  SectionWriter nit0(kNitTableId, 0x70, kOriginalNetwork, 0, 1);
  nit0.LengthPrefixed([](SectionWriter& w) {
    w.Descriptor(0x40, [](SectionWriter& d) { d.Text(kNetworkName); });
    w.Descriptor(0x4A, [](SectionWriter& d) { d.U16(0x0001).U16(kOriginalNetwork).U16(0x0065).U8(0x04); });
  });
  nit0.LengthPrefixed([](SectionWriter& w) {
    w.U16(0x0001).U16(kOriginalNetwork).LengthPrefixed([](SectionWriter& d) {
      // 346 MHz, FEC_outer RS(204/188), 64-QAM, 6.875 Msymbol/s, FEC_inner 5
      d.Descriptor(0x44, [](SectionWriter& c) { c.Bytes({0x03, 0x46, 0x00, 0x00, 0xFF, 0xF2, 0x03, 0x00, 0x68, 0x75, 0x05}); });
      ServiceList(d, {{0x0065, 0x01}, {0x0066, 0x01}, {0x0067, 0x02}});
      d.Descriptor(0x5F, [](SectionWriter& c) { c.Bytes({0x00, 0x00, 0x00, 0x28}); });  // private_data_specifier
      d.Descriptor(0x83, [](SectionWriter& c) {
        c.Bytes({0x00, 0x65, 0xFC, 0x01, 0x00, 0x66, 0xFC, 0x02, 0x00, 0x67, 0x7C, 0x03});
      });
    });
  });
  SectionWriter nit1(kNitTableId, 0x70, kOriginalNetwork, 1, 1);
  nit1.LengthPrefixed([](SectionWriter&) {});
  nit1.LengthPrefixed([](SectionWriter& w) {
    w.U16(0x0002).U16(kOriginalNetwork).LengthPrefixed([](SectionWriter& d) {
      // 474 MHz, 8 MHz, 64-QAM, code rate 3/4, guard 1/32, 8K
      d.Descriptor(0x5A, [](SectionWriter& c) { c.Bytes({0x02, 0xD3, 0x44, 0x40, 0x1F, 0x82, 0x02, 0xFF, 0xFF, 0xFF, 0xFF}); });
      ServiceList(d, {{0x00C9, 0x01}});
    });
    w.U16(0x0003).U16(kOriginalNetwork).LengthPrefixed([](SectionWriter& d) {
      // 11.74300 GHz, 19.2 degrees east, horizontal, QPSK, 27.5 Msymbol/s, FEC_inner 3/4
      d.Descriptor(0x43, [](SectionWriter& c) { c.Bytes({0x01, 0x17, 0x43, 0x00, 0x01, 0x92, 0x81, 0x02, 0x75, 0x00, 0x03}); });
    });
  });
  t.nit = PacketsOf(nit0.Finish(), kNitPid);
  const Packets second = PacketsOf(nit1.Finish(), kNitPid);
  t.nit.insert(t.nit.end(), second.begin(), second.end());

  SectionWriter bat0(kBatTableId, 0x70, 0x1001, 0, 1);
  bat0.LengthPrefixed([](SectionWriter& w) { w.Descriptor(0x47, [](SectionWriter& d) { d.Text("Family Pack"); }); });
  bat0.LengthPrefixed([](SectionWriter& w) {
    w.U16(0x0001).U16(kOriginalNetwork).LengthPrefixed([](SectionWriter& d) {
      ServiceList(d, {{0x0065, 0x01}, {0x0066, 0x01}});
    });
  });
  SectionWriter bat1(kBatTableId, 0x70, 0x1001, 1, 1);
  bat1.LengthPrefixed([](SectionWriter& w) {
    w.Descriptor(0x5F, [](SectionWriter& d) { d.Bytes({0x00, 0x00, 0x00, 0x28}); });
  });
  bat1.LengthPrefixed([](SectionWriter& w) {
    w.U16(0x0002).U16(kOriginalNetwork).LengthPrefixed([](SectionWriter& d) { ServiceList(d, {{0x00C9, 0x01}}); });
  });
  t.bat = PacketsOf(bat0.Finish(), kSdtBatPid);
  const Packets bouquet = PacketsOf(bat1.Finish(), kSdtBatPid);
  t.bat.insert(t.bat.end(), bouquet.begin(), bouquet.end());

  t.time = TimeTables(MakeDate(2024, 5, 1, 12, 0, 0), MakeDate(2024, 10, 27, 1, 0, 0));
  return t;
}

PortTables SamplePortB() {
  PortTables t;
  t.pat = PacketsOf(SectionWriter(kPatTableId, 0x30, 0x0002)
                        .U16(0x0000).U16(0xE010)
                        .U16(0x00C9).U16(0xE400)
                        .U16(0x00CA).U16(0xE410)
                        .Finish(),
                    kPatPid);

  SectionWriter sports(kPmtTableId, 0x30, 0x00C9);
  sports.U16(0xE401).LengthPrefixed([](SectionWriter&) {});
  Stream(sports, 0x02, 0x0401);
  Stream(sports, 0x04, 0x0402, [](SectionWriter& w) { Language(w, "chi"); });
  SectionWriter general(kPmtTableId, 0x30, 0x00CA);
  general.U16(0xE411).LengthPrefixed([](SectionWriter& w) { CaDescriptor(w, 0x0604, 0x0904, {0x55}); });
  Stream(general, 0x1B, 0x0411);
  Stream(general, 0x0F, 0x0412);
  t.pmts = {{0x0400, 0x00C9, PacketsOf(sports.Finish(), 0x0400)},
            {0x0410, 0x00CA, PacketsOf(general.Finish(), 0x0410)}};

  SectionWriter sdt(kSdtTableId, 0x70, 0x0002);
  sdt.U16(kOriginalNetwork).U8(0xFF);
  SdtService(sdt, 0x00C9, false, [](SectionWriter& w) { ServiceDescriptor(w, 0x01, "Sports Plus"); });
  SdtService(sdt, 0x00CA, true, [](SectionWriter& w) { ServiceDescriptor(w, 0x01, kGeneralChannelGbk); });
  t.sdt = PacketsOf(sdt.Finish(), kSdtBatPid);

  SectionWriter cat(kCatTableId, 0x30, 0xFFFF);
  CaDescriptor(cat, 0x0604, 0x0904, {});
  t.cat = PacketsOf(cat.Finish(), kCatPid);

  SectionWriter nit(kNitTableId, 0x70, kOriginalNetwork);
  nit.LengthPrefixed([](SectionWriter& w) { w.Descriptor(0x40, [](SectionWriter& d) { d.Text(kNetworkName); }); });
  nit.LengthPrefixed([](SectionWriter& w) {
    w.U16(0x0002).U16(kOriginalNetwork).LengthPrefixed([](SectionWriter& d) {
      d.Descriptor(0x44, [](SectionWriter& c) { c.Bytes({0x03, 0x54, 0x00, 0x00, 0xFF, 0xF2, 0x05, 0x00, 0x68, 0x75, 0x05}); });
      ServiceList(d, {{0x00C9, 0x01}, {0x00CA, 0x01}});
    });
  });
  t.nit = PacketsOf(nit.Finish(), kNitPid);

  SectionWriter bat(kBatTableId, 0x70, 0x1002);
  bat.LengthPrefixed([](SectionWriter& w) { w.Descriptor(0x47, [](SectionWriter& d) { d.Text("Sports Pack"); }); });
  bat.LengthPrefixed([](SectionWriter& w) {
    w.U16(0x0002).U16(kOriginalNetwork).LengthPrefixed([](SectionWriter& d) { ServiceList(d, {{0x00C9, 0x01}}); });
  });
  t.bat = PacketsOf(bat.Finish(), kSdtBatPid);

  t.time = TimeTables(MakeDate(2024, 5, 1, 12, 0, 0), MakeDate(2024, 10, 27, 1, 0, 0));
  return t;
}

void LoadSample(DeviceStore& store) {
  store.SetPort(0, SamplePortA());
  store.SetPort(1, SamplePortB());
}

}  // namespace quorvelin::devsim
