#include "platform/framework/Archive.h"

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <fmt/format.h>
#include <unistd.h>

#include "platform/framework/FileHelpers.h"

void CArchive::WriteBytes(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  bytes_.insert(bytes_.end(), p, p + size);
}

void CArchive::WriteU8(uint8_t v) { bytes_.push_back(v); }

void CArchive::WriteU16(uint16_t v) {
  for (int i = 0; i < 2; ++i) bytes_.push_back(uint8_t(v >> (8 * i)));
}

void CArchive::WriteU32(uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(uint8_t(v >> (8 * i)));
}

void CArchive::WriteU64(uint64_t v) {
  for (int i = 0; i < 8; ++i) bytes_.push_back(uint8_t(v >> (8 * i)));
}

void CArchive::WriteF32(float v) { WriteU32(std::bit_cast<uint32_t>(v)); }
void CArchive::WriteF64(double v) { WriteU64(std::bit_cast<uint64_t>(v)); }

void CArchive::WriteString(const std::string& s) {
  WriteU32(uint32_t(s.size()));
  WriteBytes(s.data(), s.size());
}

void CArchive::Require(size_t n) const {
  if (n > Remaining()) {
    throw ArchiveError(fmt::format("unexpected end of data: {} bytes needed, {} left", n, Remaining()));
  }
}

void CArchive::ReadBytes(void* data, size_t size) {
  Require(size);
  if (size) std::memcpy(data, bytes_.data() + position_, size);
  position_ += size;
}

uint8_t CArchive::ReadU8() {
  Require(1);
  return bytes_[position_++];
}

uint16_t CArchive::ReadU16() {
  Require(2);
  uint16_t v = uint16_t(bytes_[position_] | (bytes_[position_ + 1] << 8));
  position_ += 2;
  return v;
}

uint32_t CArchive::ReadU32() {
  Require(4);
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | bytes_[position_ + i];
  position_ += 4;
  return v;
}

uint64_t CArchive::ReadU64() {
  Require(8);
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | bytes_[position_ + i];
  position_ += 8;
  return v;
}

float CArchive::ReadF32() { return std::bit_cast<float>(ReadU32()); }
double CArchive::ReadF64() { return std::bit_cast<double>(ReadU64()); }

std::string CArchive::ReadString() {
  uint32_t size = ReadU32();
  Require(size);
  std::string s(reinterpret_cast<const char*>(bytes_.data() + position_), size);
  position_ += size;
  return s;
}

CArchive OpenArchiveForReading(const std::string& path, size_t maxBytes) {
  std::error_code ec;
  auto size = std::filesystem::file_size(path, ec);
  if (ec) throw ArchiveError(fmt::format("cannot open {}: {}", path, ec.message()));
  if (size > maxBytes) throw ArchiveError(fmt::format("{} is too large ({} bytes)", path, size));
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes(size);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size))) {
    throw ArchiveError(fmt::format("cannot read {}", path));
  }
  CArchive archive(std::move(bytes));
  archive.SetFilePath(path);
  return archive;
}

std::string WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string temp = fmt::format("{}.tmp{}", path, ::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    // The system's reason (a read-only folder, a full disk) is what the user can act on.
    if (!out) return fmt::format("cannot create {}: {}", temp, std::strerror(errno));
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::remove(temp.c_str());
      return fmt::format("cannot write {}: {}", temp, std::strerror(errno));
    }
  }
  std::string failure = ReplaceFileWith(temp, path);
  if (!failure.empty()) std::remove(temp.c_str());
  return failure;
}
