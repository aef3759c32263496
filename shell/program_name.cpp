// Skipping the program's name at the start of the command line. Leaves the
// reading of the switch to SaverMain.
#include "shell/program_name.h"

#include <windows.h>

const unsigned char LastBlankByte = 0x20;

static unsigned char ByteAt(const char* text)
{
    return static_cast<unsigned char>(*text);
}

const char* SkipProgramName(const char* commandLine)
{
    const char* at = commandLine;
    if (*at == '"') {
        at = CharNextA(at);
        while (*at != '\0' && *at != '"') {
            at = CharNextA(at);
        }
        if (*at == '"') {
            at = CharNextA(at);
        }
    } else if (ByteAt(at) > LastBlankByte) {
        while (ByteAt(at) > LastBlankByte) {
            at = CharNextA(at);
        }
    }
    while (ByteAt(at) != 0 && ByteAt(at) <= LastBlankByte) {
        at = CharNextA(at);
    }
    return at;
}
