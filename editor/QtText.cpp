#include "editor/QtText.h"

#include <algorithm>

#include "util/TextCode.h"

namespace quorvelin {
namespace {

bool IsAscii(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

// Most lines are plain ASCII; only names need the code-page conversion.
QString FromCp936(const std::string& gbk) {
  if (IsAscii(gbk)) return QString::fromLatin1(gbk.data(), static_cast<qsizetype>(gbk.size()));
  return QString::fromStdString(Cp936ToUtf8(gbk));
}

std::string ToCp936(const QString& text) {
  const std::string utf8 = text.toStdString();
  if (IsAscii(utf8)) return utf8;
  return Utf8ToCp936(utf8);
}

}  // namespace quorvelin
