#include "platform/image/ImageFormats.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "platform/image/LibraryImage.h"

namespace {

// Plugins that are not picture files: procedural images, terminal output, movies, volumes.
const std::set<std::string> kIgnoredPlugins = {"null", "term", "ffmpeg", "openvdb"};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  for (std::string part; std::getline(stream, part, separator);) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

// What the image library reads and writes, as its own lists word them: known here so that
// naming a format does not load the library. An extension missing from them is asked of the
// library itself (a newer one may know more).
constexpr const char* kExtensionList =
    "openexr:exr,sxr,mxr;tiff:tif,tiff,tx,env,sm,vsm;jpeg:jpg,jpe,jpeg,jif,jfif,jfi;bmp:bmp,dib;cineon:cin;"
    "dds:dds;dicom:dcm;dpx:dpx;fits:fits;gif:gif;heif:heic,heif,heics,avif;hdr:hdr,rgbe;ico:ico;iff:iff,z;"
    "jpeg2000:jp2,j2k,j2c;png:png;pnm:ppm,pgm,pbm,pnm,pfm;psd:psd,pdd,psb;"
    "raw:bay,bmq,cr2,cr3,crw,cs1,dc2,dcr,dng,erf,fff,k25,kdc,mdc,mos,mrw,nef,orf,pef,pxn,raf,raw,rdc,sr2,srf,"
    "x3f,arw,3fr,cine,ia,kc2,mef,nrw,qtk,rw2,sti,rwl,srw,drf,dsc,ptx,cap,iiq,rwz;rla:rla;"
    "sgi:sgi,rgb,rgba,bw,int,inta;softimage:pic;targa:tga,tpic;webp:webp;zfile:zfile";
constexpr const char* kOutputFormatList =
    "openexr,tiff,jpeg,bmp,dpx,fits,gif,heif,hdr,ico,iff,jpeg2000,png,pnm,rla,sgi,targa,webp,zfile";

// Extension -> plugin, from a list like the library's ("openexr:exr,sxr;tiff:tif,tiff;...").
std::map<std::string, std::string> PluginTable(const std::string& list) {
  std::map<std::string, std::string> t;
  for (const std::string& entry : Split(list, ';')) {
    auto colon = entry.find(':');
    if (colon == std::string::npos) continue;
    std::string plugin = entry.substr(0, colon);
    if (kIgnoredPlugins.count(plugin)) continue;
    for (const std::string& ext : Split(entry.substr(colon + 1), ',')) t.emplace(Lower(ext), plugin);
  }
  return t;
}

std::set<std::string> PluginSet(const std::string& list) {
  std::set<std::string> s;
  for (const std::string& p : Split(list, ',')) {
    if (!kIgnoredPlugins.count(p)) s.insert(p);
  }
  return s;
}

// The library's own lists, loading it.
struct LibraryLists {
  std::map<std::string, std::string> plugins;
  std::set<std::string> writable;
};

const LibraryLists& AskedOfLibrary() {
  static const LibraryLists lists = [] {
    std::string ignored;
    ImageLibraryModule* library = ImageLibrary(ignored);
    if (!library) return LibraryLists{};
    return LibraryLists{PluginTable(library->ExtensionList()), PluginSet(library->OutputFormatList())};
  }();
  return lists;
}

std::optional<std::string> PluginFor(const std::string& ext) {
  static const std::map<std::string, std::string> known = PluginTable(kExtensionList);
  auto it = known.find(ext);
  if (it != known.end()) return it->second;
  const auto& asked = AskedOfLibrary().plugins;
  it = asked.find(ext);
  if (it != asked.end()) return it->second;
  return std::nullopt;
}

bool Writable(const std::string& plugin) {
  static const std::set<std::string> known = PluginSet(kOutputFormatList);
  return known.count(plugin) || AskedOfLibrary().writable.count(plugin);
}

std::optional<ImageFileFormat> FindFormat(const std::string& path) {
  std::string ext = FileExtension(path);
  if (ext.empty()) return std::nullopt;
  if (ext == "zpic") return ImageFileFormat{"zpic", ""};
  if (ext == "qel") return ImageFileFormat{"qel", "openexr"};
  // The library knows no .rpf, but the content is RLA.
  if (ext == "rpf") return ImageFileFormat{"rla", "rla"};
  auto plugin = PluginFor(ext);
  if (!plugin) return std::nullopt;
  return ImageFileFormat{*plugin, *plugin};
}

}  // namespace

std::string FileExtension(const std::string& path) {
  std::string name = std::filesystem::path(path).filename().string();
  auto dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return {};
  return Lower(name.substr(dot + 1));
}

std::optional<ImageFileFormat> FindReadableFormat(const std::string& path) { return FindFormat(path); }

std::optional<ImageFileFormat> FindWritableFormat(const std::string& path) {
  auto format = FindFormat(path);
  if (!format || format->IsZpic() || Writable(format->plugin)) return format;
  return std::nullopt;
}
