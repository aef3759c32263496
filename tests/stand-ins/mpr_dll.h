// Where the MPR.DLL stand-in leaves the arguments of its last call:
// "provider|parent handle in decimal|first|second".
#pragma once

const char MprStandInCallVariable[] = "MPR_STANDIN_CALL";
