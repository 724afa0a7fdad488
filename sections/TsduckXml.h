// A port's tables as TSDuck XML and back: a `<tsduck>` document of `<PAT>`, `<PMT>`, `<CAT>`,
// `<SDT>`, `<NIT>`, `<BAT>`, `<TDT>` and `<TOT>` elements with TSDuck's attribute names, the
// descriptors by the registry's element names or as `<generic_descriptor>`.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sections/PortTables.h"

namespace quorvelin {

using SectionBytesList = std::vector<std::vector<uint8_t>>;

// Each section of the port's tables, table_id to CRC_32: PAT, CAT, PMTs, NIT, SDT, BAT, TDT, TOT.
SectionBytesList SectionsOf(const PortTables& tables);

// The XML document of the sections; sections of one table (table_id, identifier, version) form
// one element. A descriptor whose fields would not give back its exact bytes is written as a
// generic_descriptor.
std::string SectionsToXml(const SectionBytesList& sections);

struct XmlTables {
  PortTables tables;
  std::vector<std::string> report;  // one line per table taken
  std::string error;                // "line L, column C: ..." when the document is refused
  bool Ok() const { return error.empty(); }
};

// The tables of an XML document as sections split as TSDuck splits them (at most 1024 bytes,
// entries whole, network and bouquet descriptors first, preferred_section honoured); the PMTs
// on the PIDs the PAT gives them. Nothing at all when any part of the document is refused.
XmlTables CompileXml(std::string_view text);
// The same for the sections alone, table by table as in the document.
SectionBytesList CompileXmlSections(std::string_view text, std::string& error);

}  // namespace quorvelin
