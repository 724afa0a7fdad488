#include "dialogs/common/FieldRange.h"

#include "util/TextCode.h"

namespace quorvelin {
namespace {

std::string Bound(int64_t value, NumberText reading) {
  const auto v = static_cast<long long>(value);
  return reading == NumberText::Hex ? Format("0x%llx", v) : Format("%lld", v);
}

// The label shown for the field: the text the form set on its label control, else the template's.
std::string LabelText(Form& form, int id) {
  const DialogTemplate* t = form.Template();
  const ControlTemplate* c = t ? t->Control(id) : nullptr;
  if (!c) return {};
  if (c->labelId && !form.Text(c->labelId).empty()) return form.Text(c->labelId);
  return c->label;
}

}  // namespace

FieldLabel LabelOf(Form& form, int id) {
  const std::string label = LabelText(form, id);
  const size_t colon = label.find(':');
  if (label.empty()) return {"The value", ""};
  if (colon == std::string::npos) return {Trim(label), ""};
  return {Trim(label.substr(0, colon)), Trim(label.substr(colon + 1))};
}

std::string RangeMessage(Form& form, int id, std::string_view min, std::string_view max) {
  const FieldLabel label = LabelOf(form, id);
  std::string message = label.name + " must be " + std::string(min) + " to " + std::string(max);
  if (!label.unit.empty()) message += " " + label.unit;
  return message + "!";
}

std::string RangeMessage(Form& form, int id, const FieldRange& range) {
  return RangeMessage(form, id, Bound(range.min, range.reading), Bound(range.max, range.reading));
}

std::optional<uint32_t> ReadTextOf(Form& form, int id, std::string_view text, const FieldRange& range) {
  const std::optional<int64_t> value = ReadWholeNumber(text, range.reading);
  if (!value || *value < range.min || *value > range.max) {
    form.Refuse(RangeMessage(form, id, range), id);
    return std::nullopt;
  }
  return static_cast<uint32_t>(*value);
}

std::optional<uint32_t> ReadField(Form& form, int id, const FieldRange& range) {
  return ReadTextOf(form, id, form.TrimmedText(id), range);
}

std::optional<uint32_t> ReadFieldOrZero(Form& form, int id, const FieldRange& range) {
  const std::string text = form.TrimmedText(id);
  return ReadTextOf(form, id, text.empty() ? "0" : text, range);
}

bool ReadHexData(Form& form, int dataId, int lengthId, std::string_view typed, int n, std::string& normalised,
                 uint8_t* bytes) {
  if (HexTextDigits(typed) > 2 * static_cast<size_t>(n > 0 ? n : 0))
    return form.Refuse(Format("%s must be %d byte%s, as %s says!", LabelOf(form, dataId).name.c_str(), n,
                              n == 1 ? "" : "s", LabelOf(form, lengthId).name.c_str()),
                       dataId);
  if (HexTextToBytes(typed, normalised, n, bytes)) return true;
  return form.RefuseApp("The data is error!", dataId);
}

std::optional<std::vector<uint8_t>> EncodeField(Form& form, int id, const std::string& typed,
                                                std::span<const uint8_t> previous) {
  const int code = TextCode();
  if (const std::string bad = UnencodableCharacter(typed, code, previous); !bad.empty()) {
    form.Refuse(Format("%s: %s has no form for the character \"%s\"!", LabelOf(form, id).name.c_str(),
                       NameTableName(code, previous).c_str(), bad.c_str()),
                id);
    return std::nullopt;
  }
  return EncodeName(typed, code, previous);
}

void ShowTransportIds(Form& form, int tsid, int onid, TransportIds ids) {
  form.SetText(tsid, Format("0x%x", ids.transportStreamId));
  form.SetText(onid, Format("0x%x", ids.originalNetworkId));
}

std::optional<TransportIds> ReadTransportIds(Form& form, int tsid, int onid) {
  if (form.TrimmedText(tsid).empty()) return form.Refuse("Transport_stream_id can't be NULL!", tsid), std::nullopt;
  if (form.TrimmedText(onid).empty()) return form.Refuse("Original_network_id can't be NULL!", onid), std::nullopt;
  const auto tsidValue = ReadField(form, tsid, kHexIdField);
  if (!tsidValue) return std::nullopt;
  const auto onidValue = ReadField(form, onid, kHexIdField);
  if (!onidValue) return std::nullopt;
  return TransportIds{static_cast<uint16_t>(*tsidValue), static_cast<uint16_t>(*onidValue)};
}

}  // namespace quorvelin
