#pragma once
// Which file format a name stands for, decided by its extension alone: what the image library
// reads and writes, plus the program's own names (.qel is OpenEXR content, .rpf is RLA content,
// .zpic is our raw depth format).

#include <optional>
#include <string>

struct ImageFileFormat {
  // The name shown to callers: "targa", "png", "openexr", "rla", "qel", "zpic", ...
  std::string name;
  // The image-library plugin that reads and writes it; empty for .zpic, which is our own.
  std::string plugin;

  bool IsZpic() const { return plugin.empty(); }
  bool IsOpenExr() const { return plugin == "openexr"; }
  bool IsRla() const { return plugin == "rla"; }
  // Formats that keep a float depth channel beside the picture.
  bool KeepsDepth() const { return IsZpic() || IsOpenExr() || IsRla(); }
  // Formats whose colour is stored as linear floating point.
  bool HasLinearColour() const { return IsOpenExr() || plugin == "hdr"; }
  // Formats that store colour premultiplied by alpha, as the program holds it. The others (PNG,
  // Targa, BMP, ...) store straight colour; TIFF says which in each file and is written straight.
  bool StoresPremultipliedColour() const { return HasLinearColour() || IsRla(); }
};

// The extension of a file name, lower case and without its dot ("tga" for "shot.z.tga"); empty
// when the name has none.
std::string FileExtension(const std::string& path);

// The format the extension names, when it can be read (or written).
std::optional<ImageFileFormat> FindReadableFormat(const std::string& path);
std::optional<ImageFileFormat> FindWritableFormat(const std::string& path);
