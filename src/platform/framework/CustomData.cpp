#include "platform/framework/CustomData.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

#include <fmt/format.h>

#include "platform/framework/Archive.h"
#include "platform/framework/FourCC.h"

namespace {

constexpr uint32_t kRecordMagic = 0x54414443;  // "CDAT" as little-endian bytes
constexpr uint16_t kRecordVersion = 1;
constexpr size_t kSmallestEntry = 4 + 1 + 4;  // key, type, the smallest payload

void WriteValue(CArchive& ar, const CCustomData::Value& value) {
  std::visit(
      [&ar](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, int32_t>) ar.WriteI32(v);
        else if constexpr (std::is_same_v<T, uint32_t>) ar.WriteU32(v);
        else if constexpr (std::is_same_v<T, uint64_t>) ar.WriteU64(v);
        else if constexpr (std::is_same_v<T, float>) ar.WriteF32(v);
        else if constexpr (std::is_same_v<T, double>) ar.WriteF64(v);
        else if constexpr (std::is_same_v<T, std::string>) ar.WriteString(v);
        else {
          ar.WriteU32(uint32_t(v.size()));
          for (const auto& s : v) ar.WriteString(s);
        }
      },
      value);
}

CCustomData::Value ReadValue(CArchive& ar, uint8_t type, uint32_t key) {
  using Type = CCustomData::Type;
  switch (Type(type)) {
    case Type::Int: return ar.ReadI32();
    case Type::UInt: return ar.ReadU32();
    case Type::ULong: return ar.ReadU64();
    case Type::Float: return ar.ReadF32();
    case Type::Double: return ar.ReadF64();
    case Type::String: return ar.ReadString();
    case Type::StringArray: {
      uint32_t count = ar.ReadU32();
      ar.Require(size_t(count) * 4);  // every string has at least its length
      std::vector<std::string> list;
      list.reserve(count);
      for (uint32_t i = 0; i < count; ++i) list.push_back(ar.ReadString());
      return list;
    }
  }
  throw ArchiveError(fmt::format("record entry '{}' has unknown type {}", FourCCToString(key), type));
}

}  // namespace

void CCustomData::Set(uint32_t key, Value value) {
  for (Entry& e : entries_) {
    if (e.key == key) {
      e.value = std::move(value);
      return;
    }
  }
  entries_.push_back({key, std::move(value)});
}

const CCustomData::Value* CCustomData::Find(uint32_t key) const {
  for (const Entry& e : entries_) {
    if (e.key == key) return &e.value;
  }
  return nullptr;
}

void CCustomData::Remove(uint32_t key) {
  std::erase_if(entries_, [key](const Entry& e) { return e.key == key; });
}

namespace {

// Whether a stored number can be converted to T at all: a real number outside T's range
// (or not a number) has no integer value, and a double beyond the largest float no float.
template <typename T, typename S>
bool Converts(S x) {
  if constexpr (std::is_floating_point_v<S> && std::is_integral_v<T>) {
    return double(x) > double(std::numeric_limits<T>::min()) - 1.0 &&
           double(x) < double(std::numeric_limits<T>::max()) + 1.0;
  } else if constexpr (std::is_same_v<S, double> && std::is_same_v<T, float>) {
    return !std::isfinite(x) || std::fabs(x) <= double(std::numeric_limits<float>::max());
  } else {
    return true;
  }
}

}  // namespace

template <typename T>
T CCustomData::GetNumber(uint32_t key, T def) const {
  const Value* v = Find(key);
  if (!v) return def;
  return std::visit(
      [def](const auto& x) -> T {
        using S = std::decay_t<decltype(x)>;
        if constexpr (std::is_arithmetic_v<S>) return Converts<T>(x) ? static_cast<T>(x) : def;
        else return def;
      },
      *v);
}

int32_t CCustomData::GetInt(uint32_t key, int32_t def) const { return GetNumber(key, def); }
uint32_t CCustomData::GetUInt(uint32_t key, uint32_t def) const { return GetNumber(key, def); }
uint64_t CCustomData::GetULong(uint32_t key, uint64_t def) const { return GetNumber(key, def); }
float CCustomData::GetFloat(uint32_t key, float def) const { return GetNumber(key, def); }
double CCustomData::GetDouble(uint32_t key, double def) const { return GetNumber(key, def); }

std::string CCustomData::GetString(uint32_t key, const std::string& def) const {
  const Value* v = Find(key);
  const auto* s = v ? std::get_if<std::string>(v) : nullptr;
  return s ? *s : def;
}

std::vector<std::string> CCustomData::GetStringArray(uint32_t key, const std::vector<std::string>& def) const {
  const Value* v = Find(key);
  const auto* s = v ? std::get_if<std::vector<std::string>>(v) : nullptr;
  return s ? *s : def;
}

void CCustomData::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteU32(kRecordMagic);
    ar.WriteU16(kRecordVersion);
    ar.WriteU32(uint32_t(entries_.size()));
    for (const Entry& e : entries_) {
      ar.WriteU32(e.key);
      ar.WriteU8(uint8_t(e.value.index() + 1));
      WriteValue(ar, e.value);
    }
    return;
  }
  if (ar.ReadU32() != kRecordMagic) throw ArchiveError("settings record expected");
  uint16_t version = ar.ReadU16();
  if (version != kRecordVersion) throw ArchiveError(fmt::format("settings record version {} unknown", version));
  uint32_t count = ar.ReadU32();
  ar.Require(size_t(count) * kSmallestEntry);
  std::vector<Entry> read;
  read.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t key = ar.ReadU32();
    uint8_t type = ar.ReadU8();
    read.push_back({key, ReadValue(ar, type, key)});
  }
  entries_ = std::move(read);
}
