#pragma once
// The four-letter ids of the program's commands, each spelled once. The filters' ids are in
// their descriptions (FilterDescription), the framework's navigation commands' in
// NavigationCommands.h.

#include <cstdint>

#include "platform/framework/FourCC.h"

constexpr uint32_t kRenderCommandId = FourCC("DOFX");
constexpr uint32_t kRenderSaveCommandId = FourCC("DSFX");
constexpr uint32_t kAreaPreviewToolId = FourCC("DNFX");
constexpr uint32_t kDepthPointToolId = FourCC("DEPP");
constexpr uint32_t kDepthIntervalToolId = FourCC("DEPI");
constexpr uint32_t kPreviewEffectCommandId = FourCC("PWFX");
constexpr uint32_t kViewLastRenderedCommandId = FourCC("VLSI");
constexpr uint32_t kViewZBufferCommandId = FourCC("VZBF");
constexpr uint32_t kViewAlphaCommandId = FourCC("VALP");
constexpr uint32_t kExposureUpCommandId = FourCC("EXPU");
constexpr uint32_t kExposureDownCommandId = FourCC("EXPD");
constexpr uint32_t kExposureResetCommandId = FourCC("EXP0");
