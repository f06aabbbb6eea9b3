#include "support/ColourConfigFile.h"

#include "support/TempFolder.h"

std::string WriteColourConfig(const TempFolder& folder) {
  return folder.Write("test.ocio", R"(ocio_profile_version: 2

search_path: .

roles:
  default: linear
  scene_linear: linear

displays:
  Test:
    - !<View> {name: Raw, colorspace: linear}
    - !<View> {name: Root, colorspace: root}
    - !<View> {name: Graded, colorspace: linear, looks: missing}
  Other:
    - !<View> {name: Raw, colorspace: linear}

looks:
  - !<Look>
    name: missing
    process_space: linear
    transform: !<FileTransform> {src: no-such-grade.spi1d, interpolation: linear}

colorspaces:
  - !<ColorSpace>
    name: linear
    isdata: false

  - !<ColorSpace>
    name: root
    isdata: false
    from_scene_reference: !<ExponentTransform> {value: [0.5, 0.5, 0.5, 1]}
)");
}
