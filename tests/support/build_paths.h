#pragma once
// Where the source tree and the built programs are. Only build_paths.cpp is compiled with these
// absolute paths, so every other test file compiles alike in any clone and hits the shared cache.

namespace corvane::test {

const char* sourceDir();  // the repository's root
const char* binDir();     // the folder of the built programs, font data file and demos

}  // namespace corvane::test
