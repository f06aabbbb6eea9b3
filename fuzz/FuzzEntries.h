#pragma once
// The readers that the fuzz targets drive, each taking raw bytes as a file would hold them.
// Every entry returns true when the bytes were read as a valid file; any other outcome must
// be a clean refusal. The seed test uses the same entries to check that each seed is valid.

#include <cstddef>
#include <cstdint>
#include <string>

// A private folder for the files the entries write, created once per process, holding the
// small scene (an image and its depth file) that the seed projects name.
const std::string& FuzzWorkspace();

// A project file, opened as the desktop program opens one.
bool FuzzProjectFile(const uint8_t* data, size_t size);
// A settings record followed by a keyframe track; what is read is written again and must
// read back to the same bytes.
bool FuzzSettingsRecord(const uint8_t* data, size_t size);
// A raw depth buffer file.
bool FuzzZpicFile(const uint8_t* data, size_t size);
// Any picture or depth file: the first byte chooses the extension, the rest is the file.
bool FuzzImageFile(const uint8_t* data, size_t size);

// The extensions FuzzImageFile chooses from.
size_t FuzzImageExtensionCount();
const char* FuzzImageExtension(size_t index);
