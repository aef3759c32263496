// Start-up and mode dispatch.
#pragma once
#include <windows.h>

int SaverMain(HINSTANCE instance, const char* commandTail);
int RunPreview(const char* text);
