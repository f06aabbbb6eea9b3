#pragma once
// What a header may declare before anything is allocated for it: the sides of its windows, and
// no more pixels than its file's bytes can describe.

#include <cstdint>
#include <string>

#include "platform/image/LayerBitmap.h"

// data: the pixels the file stores; display: the picture around them. maxPixelsPerByte: the
// most pixels one byte of this format can describe. False with the reason in error.
bool CheckDeclaredWindows(const ImageRect& data, const ImageRect& display, uintmax_t fileBytes,
                          int64_t maxPixelsPerByte, std::string& error);
