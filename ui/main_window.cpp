#include "main_window.h"

#include "../runtime/operations.h"
#include "../share/share_link.h"

void HandleMainWindowCreated() { SetControlFocus(kMainWindowId, kFocusSinkBoxId); }

void HandleOpenClick() {
  Text address = ReadEditContent(kMainWindowId, kAddressBoxId);
  Text title = ReadEditContent(kMainWindowId, kTitleBoxId);
  Text summary = ReadEditContent(kMainWindowId, kSummaryBoxId);
  Text comment = ReadEditContent(kMainWindowId, kCommentBoxId);
  Text link = ComposeShareLink(address, title, summary, comment);
  if (address) FreeBlock(address);
  if (title) FreeBlock(title);
  if (summary) FreeBlock(summary);
  if (comment) FreeBlock(comment);
  // The old link goes only once the new one exists.
  if (LastShareLink) FreeBlock(LastShareLink);
  LastShareLink = link;
  OpenUrl(LastShareLink);
}

const HandlerTable& ProgramHandlers() {
  static const HandlerBinding bindings[] = {
      {"HandleMainWindowCreated", &HandleMainWindowCreated},
      {"HandleOpenClick", &HandleOpenClick},
  };
  static const HandlerTable table = {bindings, sizeof bindings / sizeof bindings[0]};
  return table;
}
