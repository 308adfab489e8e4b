// qqshare's main window: its ids and its two handlers.
#pragma once
#include <cstdint>

#include "../runtime/form.h"

inline constexpr uint32_t kMainWindowId = 0x52010001;
inline constexpr uint32_t kAddressBoxId = 0x16010004;   // 编辑框1
inline constexpr uint32_t kSummaryBoxId = 0x16010005;   // 编辑框2
inline constexpr uint32_t kCommentBoxId = 0x16010006;   // 编辑框3
inline constexpr uint32_t kTitleBoxId = 0x16010007;     // 编辑框4
inline constexpr uint32_t kFocusSinkBoxId = 0x1601001D; // 编辑框5

void HandleMainWindowCreated();
void HandleOpenClick();

// The routines the form may name, for binding.
const HandlerTable& ProgramHandlers();
