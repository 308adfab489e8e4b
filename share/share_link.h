// The share link: the widget's address carrying the four texts the user typed.
#pragma once
#include <cstddef>

#include "../runtime/text_memory.h"

// The most recently composed link; null until the first one. Owns its block.
extern Text LastShareLink;

// Bytes before the first NUL; 0 for null.
size_t TextLength(const char* text);

// One fresh block of exactly the needed size holding the texts in order;
// null texts add nothing.
Text ConcatTexts(size_t count, const char* const* texts);

// A fresh link, never null. Null texts count as empty; the caller still owns
// the four texts. Bytes that would change the query's meaning or be lost on
// the way (% & # + " and control bytes) are percent-encoded.
Text ComposeShareLink(const char* address, const char* title, const char* summary,
                      const char* comment);

// Exit routine: frees LastShareLink.
void ReleaseLastShareLink();
