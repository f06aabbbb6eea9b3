#pragma once
// The four-letter keys of the records the program stores, each spelled once: the project
// record, the keyframe track, the preference records and the keys every record shares. A
// filter's own settings and options keys are named in its settings and options files.

#include <cstdint>

#include "platform/framework/FourCC.h"

// --- The project record (first record of a project file) ---
constexpr uint32_t kProjectFilterIdKey = FourCC("FXID");
constexpr uint32_t kProjectImageFolderKey = FourCC("IPTH");
constexpr uint32_t kProjectDepthAnswerKey = FourCC("ZMDE");
constexpr uint32_t kProjectDepthFolderKey = FourCC("ZPTH");
constexpr uint32_t kProjectDepthRootKey = FourCC("ZBSN");
constexpr uint32_t kProjectDepthExtensionKey = FourCC("ZEXT");
constexpr uint32_t kProjectOutputFolderKey = FourCC("OPTH");
constexpr uint32_t kProjectOutputNameKey = FourCC("ONAM");
constexpr uint32_t kProjectImageNamesKey = FourCC("FLNM");
// Ours: the view of stereo images, kept only when one was chosen.
constexpr uint32_t kProjectImageViewKey = FourCC("VIEW");

// --- The keyframe track: its header record, and the frame of each keyframe ---
constexpr uint32_t kTrackCountKey = FourCC("KFNB");
constexpr uint32_t kTrackCurrentFrameKey = FourCC("KFCF");
constexpr uint32_t kTrackModeKey = FourCC("KFMD");
constexpr uint32_t kKeyframeFrameNumberKey = FourCC("FRNB");

// --- Keys with one meaning in every record ---
// A colour as 0x00BBGGRR; shown and typed as "#RRGGBB".
constexpr uint32_t kColourKey = FourCC("COLR");

// --- Preference records: the program's, then one record per remembered answer ---
constexpr uint32_t kPrefsApplication = FourCC("FOVD");
// The depth type question: which side of a depth picture is near.
constexpr uint32_t kDepthTypePrefsRecord = FourCC("ZBUF");
constexpr uint32_t kDepthTypeLightSideKey = FourCC("MODE");
// The depth mode question: the curve and gamma of a depth picture.
constexpr uint32_t kDepthModePrefsRecord = FourCC("ZBFV");
constexpr uint32_t kDepthModeCurveKey = FourCC("LINE");
constexpr uint32_t kDepthModeGammaKey = FourCC("GAMM");
// The render options: the range and which frames.
constexpr uint32_t kRenderOptionsPrefsRecord = FourCC("RDRO");
constexpr uint32_t kRenderFirstFrameKey = FourCC("FFRM");
constexpr uint32_t kRenderLastFrameKey = FourCC("FLST");
constexpr uint32_t kRenderModeKey = FourCC("RNDM");
