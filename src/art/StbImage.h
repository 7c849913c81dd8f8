// Debian's stb_image (libstb-dev), as the program builds it: PNG and JPEG
// only, from memory only, 8-bit results, no error texts kept. The sizes it
// takes are capped here as well; DecodeImage asks for less still.
// StbImage.c compiles its implementation, once.
#pragma once

#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS 32768
// The same (scalar) code on every build: the release target has no SSE2,
// so the native tests decode as it does.
#define STBI_NO_SIMD

#include <stb_image.h>
