#include "platform/image/RlaRunLength.h"

#include <fmt/format.h>

bool RlaLineBytes::Overrun(size_t size, std::string& error) {
  overran_ = true;
  error = end_ - at_ < 2 ? std::string("a run-length chunk is cut off")
                         : fmt::format("a run-length chunk says {} bytes where {} are left", size, end_ - at_ - 2);
  return false;
}

bool RlaLineBytes::NextChunk(const uint8_t*& data, size_t& size, std::string& error) {
  if (end_ - at_ < 2) return Overrun(0, error);
  size = size_t(at_[0]) << 8 | at_[1];
  if (size_t(end_ - at_ - 2) < size) return Overrun(size, error);
  data = at_ + 2;
  at_ += 2 + size;
  return true;
}

bool RlaLineBytes::NextRawChunk(size_t size, const uint8_t*& data, std::string& error) {
  if (end_ - at_ < 2) return Overrun(size, error);
  size_t stated = size_t(at_[0]) << 8 | at_[1];
  if (stated != (size & 0xFFFF)) {
    error = fmt::format("a chunk of {} raw bytes says {}", size, stated);
    return false;
  }
  if (size_t(end_ - at_ - 2) < size) return Overrun(size, error);
  data = at_ + 2;
  at_ += 2 + size;
  return true;
}

bool DecodeRunLengthPlane(const uint8_t* data, size_t size, size_t& used, uint8_t* out, size_t count,
                          size_t stride, std::string& error) {
  size_t done = 0;
  while (done < count) {
    if (used >= size) {
      error = fmt::format("a run-length chunk ends after {} of {} values", done, count);
      return false;
    }
    auto c = int8_t(data[used++]);
    // A repeat needs one byte, a literal run -c bytes.
    size_t run = c >= 0 ? size_t(c) + 1 : size_t(-int(c));
    size_t bytes = c >= 0 ? 1 : run;
    if (run > count - done) {
      error = fmt::format("a run of {} values passes the line's end ({} left)", run, count - done);
      return false;
    }
    if (bytes > size - used) {
      error = fmt::format("a run of {} values is cut off by its chunk's end", run);
      return false;
    }
    for (size_t i = 0; i < run; ++i, ++done) out[done * stride] = data[used + (c >= 0 ? 0 : i)];
    used += bytes;
  }
  return true;
}
