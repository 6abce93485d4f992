#pragma once
// Resource identifiers of corvane.exe, shared by the resource script and the code.

#define kMenuResource 101
#define kAcceleratorResource 102
