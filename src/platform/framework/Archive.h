#pragma once
// A little-endian binary stream. Writing gathers bytes in memory; reading works over bytes
// loaded beforehand, and every read is bounded by what is left: reading past the end, or a
// length that the remaining bytes cannot hold, throws ArchiveError.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class ArchiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CArchive {
 public:
  enum class Mode { Store, Load };

  // An archive for writing.
  CArchive() : mode_(Mode::Store) {}
  // An archive for reading the given bytes.
  explicit CArchive(std::vector<uint8_t> bytes) : mode_(Mode::Load), bytes_(std::move(bytes)) {}

  bool IsStoring() const { return mode_ == Mode::Store; }
  bool IsLoading() const { return mode_ == Mode::Load; }

  // The complete name of the file behind the archive, when there is one.
  const std::string& GetFilePath() const { return filePath_; }
  void SetFilePath(std::string path) { filePath_ = std::move(path); }

  void WriteU8(uint8_t v);
  void WriteU16(uint16_t v);
  void WriteU32(uint32_t v);
  void WriteU64(uint64_t v);
  void WriteI32(int32_t v) { WriteU32(uint32_t(v)); }
  void WriteF32(float v);
  void WriteF64(double v);
  void WriteString(const std::string& s);  // u32 byte length, then the bytes
  void WriteBytes(const void* data, size_t size);

  uint8_t ReadU8();
  uint16_t ReadU16();
  uint32_t ReadU32();
  uint64_t ReadU64();
  int32_t ReadI32() { return int32_t(ReadU32()); }
  float ReadF32();
  double ReadF64();
  std::string ReadString();
  void ReadBytes(void* data, size_t size);

  size_t Remaining() const { return bytes_.size() - position_; }
  // Throws ArchiveError unless at least n bytes are left.
  void Require(size_t n) const;

  const std::vector<uint8_t>& GetBytes() const { return bytes_; }

 private:
  Mode mode_;
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
  std::string filePath_;
};

// Reads a whole file for an archive; refuses files over maxBytes. Throws ArchiveError.
CArchive OpenArchiveForReading(const std::string& path, size_t maxBytes = size_t(256) << 20);

// Writes bytes to a temporary file beside path, then renames it over path, so that a failure
// leaves any previous file intact. Returns an empty string on success, else the reason.
std::string WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);
