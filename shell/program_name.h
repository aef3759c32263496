// Finds the command tail: the command line without the program's name.
#pragma once

// Skips the name (quoted, or up to the first byte at or below 0x20) and the
// bytes 0x01 to 0x20 behind it, by characters of the ANSI code page.
const char* SkipProgramName(const char* commandLine);
