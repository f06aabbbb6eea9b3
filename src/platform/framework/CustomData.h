#pragma once
// A settings record: typed values under FourCC keys, in the order they were first set.
// Getters give the stored value, or the default when the key is absent (or holds a value
// that does not convert: a number asked as a string, a real number beyond the range of the
// integer asked for, say).
//
// Binary form (little-endian): "CDAT", u16 version 1, u32 entry count, then per entry
// u32 key, u8 type, payload.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

class CArchive;

class CCustomData {
 public:
  enum class Type : uint8_t { Int = 1, UInt = 2, ULong = 3, Float = 4, Double = 5, String = 6, StringArray = 7 };
  using Value = std::variant<int32_t, uint32_t, uint64_t, float, double, std::string, std::vector<std::string>>;

  // A bool entry is a whole 32-bit int: SetBool/GetBool keep any value unchanged.
  void SetBool(uint32_t key, int32_t value) { Set(key, Value(value)); }
  void SetInt(uint32_t key, int32_t value) { Set(key, Value(value)); }
  void SetUInt(uint32_t key, uint32_t value) { Set(key, Value(value)); }
  void SetULong(uint32_t key, uint64_t value) { Set(key, Value(value)); }
  void SetFloat(uint32_t key, float value) { Set(key, Value(value)); }
  void SetDouble(uint32_t key, double value) { Set(key, Value(value)); }
  void SetString(uint32_t key, const std::string& value) { Set(key, Value(value)); }
  void SetStringArray(uint32_t key, const std::vector<std::string>& value) { Set(key, Value(value)); }

  int32_t GetBool(uint32_t key, int32_t def) const { return GetInt(key, def); }
  int32_t GetInt(uint32_t key, int32_t def) const;
  uint32_t GetUInt(uint32_t key, uint32_t def) const;
  uint64_t GetULong(uint32_t key, uint64_t def) const;
  float GetFloat(uint32_t key, float def) const;
  double GetDouble(uint32_t key, double def) const;
  std::string GetString(uint32_t key, const std::string& def) const;
  std::vector<std::string> GetStringArray(uint32_t key, const std::vector<std::string>& def) const;

  bool Has(uint32_t key) const { return Find(key) != nullptr; }
  void Remove(uint32_t key);
  void Clear() { entries_.clear(); }
  size_t Size() const { return entries_.size(); }

  struct Entry {
    uint32_t key;
    Value value;
  };
  const std::vector<Entry>& Entries() const { return entries_; }

  // Writes the record, or replaces it by the one read. A malformed record throws ArchiveError.
  void Serialize(CArchive& archive);

  // The per-user preferences file, under an application code and a record name.
  // A missing or unreadable record leaves this one empty.
  void LoadFromPrefs(uint32_t application, uint32_t section);
  // Returns false when the preferences file could not be written.
  bool SaveToPrefs(uint32_t application, uint32_t section) const;

 private:
  void Set(uint32_t key, Value value);
  const Value* Find(uint32_t key) const;
  template <typename T>
  T GetNumber(uint32_t key, T def) const;

  std::vector<Entry> entries_;
};
