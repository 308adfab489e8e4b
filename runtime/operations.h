// The operations a program's handlers call on its windows and the shell.
#pragma once
#include <cstdint>

#include "text_memory.h"

// The text the edit box holds now, as a fresh block the caller frees, or
// null when the box is empty (or no such box is alive).
Text ReadEditContent(uint32_t windowId, uint32_t controlId);

void SetControlFocus(uint32_t windowId, uint32_t controlId);

// Hands the address to the shell to open; the outcome is not looked at.
void OpenUrl(const char* address);
