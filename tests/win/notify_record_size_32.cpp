// Compiled for 32-bit Windows only: the two record sizes the tray icon chooses between are
// 956 (the whole record) and 936 (up to and including dwInfoFlags) in that layout.
#include <windows.h>
#include <shellapi.h>

#include <cstddef>

static_assert(sizeof(void*) == 4, "this check is for the 32-bit layout");
static_assert(sizeof(NOTIFYICONDATAW) == 956, "whole record");
static_assert(offsetof(NOTIFYICONDATAW, guidItem) == 936, "record through dwInfoFlags");
