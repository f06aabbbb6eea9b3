#pragma once
// The run-length chunks of RLA lines. A chunk is a 16-bit big-endian byte count followed by that
// many bytes of runs: a signed count byte c, then for c >= 0 one byte repeated c + 1 times, for
// c < 0 the next -c bytes as they are. Every count is held against the chunk and the line: a run
// that would pass the line's end or the chunk's, or bytes left over, is an error.

#include <cstddef>
#include <cstdint>
#include <string>

// Bytes of a line, from where its chunks start to where they must end.
class RlaLineBytes {
 public:
  RlaLineBytes(const uint8_t* begin, const uint8_t* end) : at_(begin), end_(end) {}

  // The next chunk's bytes; false (with the reason) when its count passes the line's end.
  bool NextChunk(const uint8_t*& data, size_t& size, std::string& error);
  // The next chunk of raw values, which must hold size bytes. Its 16-bit count is the low 16 bits
  // of size: writers store no more of a longer chunk's count.
  bool NextRawChunk(size_t size, const uint8_t*& data, std::string& error);
  // Whether a chunk was said to go past the line's end.
  bool Overran() const { return overran_; }

 private:
  bool Overrun(size_t size, std::string& error);

  const uint8_t* at_;
  const uint8_t* end_;
  bool overran_ = false;
};

// Decodes one plane of count bytes from the chunk's bytes starting at data[used], writing
// out[0], out[stride], ... and advancing used past the runs read. False with the reason when the
// runs do not give exactly count bytes inside the chunk.
bool DecodeRunLengthPlane(const uint8_t* data, size_t size, size_t& used, uint8_t* out, size_t count,
                          size_t stride, std::string& error);
