#pragma once
// The image library's RLA writer stores a wrong value for the last pixel of a row when that pixel
// starts a new run after a run of three or more equal values: it repeats the previous value. In
// every packet layout the encoder produces, the last byte of an 8-bit channel's row block is the
// value of the row's last pixel, so writing the right values there repairs the file.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// byteChannels[c]: channel c is stored as 8-bit run-length data (false: 32-bit float, stored raw).
// lastByte(y, c): the value of the last pixel of row y (row 0 at the top) in 8-bit channel c.
// False with the reason in error when the file does not have the expected layout.
bool RepairRlaRowEnds(const std::string& path, int width, int height, const std::vector<bool>& byteChannels,
                      const std::function<uint8_t(int y, int c)>& lastByte, std::string& error);
