#pragma once
// A settings class described once: a table of its fields, each with its record key, the value
// a record without that key gives, the value Reset gives when it is a constant, how two
// keyframes blend into it and the range a typed value may take. The table drives copying,
// interpolation, storing, loading, the constant part of Reset and the check of typed values,
// so that a field added to a filter is one line of its table.
//
// The record stores fields in table order, each by its type: int as Int, float as Float,
// double as Double, a colour as ULong (0x00BBGGRR).

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include <fmt/format.h>

#include "platform/framework/Colour.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"

// How a field takes its value between two keyframes at t (0 the earlier, 1 the later).
enum class FieldBlend {
  Linear,     // (1 - t) a + t b; an int truncates toward zero; a colour blends per channel
  Earlier,    // the earlier keyframe's value
};

template <class Settings>
struct SettingsField {
  using Member = std::variant<int Settings::*, float Settings::*, double Settings::*, CRGBColor Settings::*>;

  uint32_t key;
  Member member;
  double readDefault;                // a colour: its 0x00BBGGRR value
  std::optional<double> resetValue;  // none: Reset derives it from the image
  FieldBlend blend = FieldBlend::Linear;
  double least = -std::numeric_limits<double>::infinity();  // what a typed value may be
  double most = std::numeric_limits<double>::infinity();
  // A field newer than the stored records: written only when it differs from readDefault, so
  // that a record without it reads as it did and records of unchanged settings stay as they were.
  bool writtenWhenSet = false;
};

template <class Settings>
using SettingsFields = std::vector<SettingsField<Settings>>;

namespace settings_fields {

inline double Blend(double earlier, double later, double t) { return (1.0 - t) * earlier + t * later; }

// Truncation toward zero, kept inside the int range so that odd stored values stay defined.
inline int TruncateToInt(double v) {
  if (!(v > double(std::numeric_limits<int>::min()))) return v != v ? 0 : std::numeric_limits<int>::min();
  if (!(v < double(std::numeric_limits<int>::max()))) return std::numeric_limits<int>::max();
  return int(v);
}

template <typename T>
T FromNumber(double v) {
  if constexpr (std::is_same_v<T, int>) return TruncateToInt(v);
  else if constexpr (std::is_same_v<T, CRGBColor>) return CRGBColor::FromValue(uint32_t(v));
  else return T(v);
}

template <typename T>
double AsNumber(const T& v) {
  if constexpr (std::is_same_v<T, CRGBColor>) return double(v.ToValue());
  else return double(v);
}

}  // namespace settings_fields

template <class Settings>
void CopyFields(const SettingsFields<Settings>& fields, Settings& to, const Settings& from) {
  for (const auto& f : fields) std::visit([&](auto m) { to.*m = from.*m; }, f.member);
}

template <class Settings>
void BlendFields(const SettingsFields<Settings>& fields, Settings& to, const Settings& earlier, const Settings& later,
                 double t) {
  using namespace settings_fields;
  for (const auto& f : fields) {
    std::visit(
        [&](auto m) {
          using T = std::remove_cvref_t<decltype(to.*m)>;
          if (f.blend == FieldBlend::Earlier) {
            to.*m = earlier.*m;
          } else if constexpr (std::is_same_v<T, CRGBColor>) {
            to.*m = BlendColours(earlier.*m, later.*m, t);
          } else {
            to.*m = FromNumber<T>(Blend(earlier.*m, later.*m, t));
          }
        },
        f.member);
  }
}

// Which fields a record gets: those a project stores, or every one (what a user may set by key).
enum class StoredFields { AsSet, All };

template <class Settings>
void StoreFields(const SettingsFields<Settings>& fields, const Settings& from, CCustomData& record,
                 StoredFields which = StoredFields::AsSet) {
  for (const auto& f : fields) {
    std::visit(
        [&](auto m) {
          using T = std::remove_cvref_t<decltype(from.*m)>;
          if (which == StoredFields::AsSet && f.writtenWhenSet &&
              settings_fields::AsNumber(from.*m) == f.readDefault) {
            return;
          }
          if constexpr (std::is_same_v<T, int>) record.SetInt(f.key, from.*m);
          else if constexpr (std::is_same_v<T, float>) record.SetFloat(f.key, from.*m);
          else if constexpr (std::is_same_v<T, double>) record.SetDouble(f.key, from.*m);
          else record.SetULong(f.key, (from.*m).ToValue());
        },
        f.member);
  }
}

template <class Settings>
void LoadFields(const SettingsFields<Settings>& fields, Settings& to, const CCustomData& record) {
  for (const auto& f : fields) {
    std::visit(
        [&](auto m) {
          using T = std::remove_cvref_t<decltype(to.*m)>;
          if constexpr (std::is_same_v<T, int>) to.*m = record.GetInt(f.key, int32_t(f.readDefault));
          else if constexpr (std::is_same_v<T, float>) to.*m = record.GetFloat(f.key, float(f.readDefault));
          else if constexpr (std::is_same_v<T, double>) to.*m = record.GetDouble(f.key, f.readDefault);
          else to.*m = CRGBColor::FromValue(uint32_t(record.GetULong(f.key, uint64_t(f.readDefault))));
        },
        f.member);
  }
}

// The fields whose Reset value is a constant; the others are the class's to derive.
template <class Settings>
void ResetFields(const SettingsFields<Settings>& fields, Settings& to) {
  for (const auto& f : fields) {
    if (!f.resetValue) continue;
    std::visit(
        [&](auto m) {
          using T = std::remove_cvref_t<decltype(to.*m)>;
          to.*m = settings_fields::FromNumber<T>(*f.resetValue);
        },
        f.member);
  }
}

// Why a field holds a value a user may not give (out of its range, or not a finite number);
// empty when every field holds one.
template <class Settings>
std::string CheckFields(const SettingsFields<Settings>& fields, const Settings& s) {
  for (const auto& f : fields) {
    const double v = std::visit([&](auto m) { return settings_fields::AsNumber(s.*m); }, f.member);
    if (!std::isfinite(v)) return fmt::format("{} must be a finite number", FourCCToString(f.key));
    if (v < f.least || v > f.most) {
      return fmt::format("{} must be {} to {}, not {}", FourCCToString(f.key), f.least, f.most, v);
    }
  }
  return {};
}
