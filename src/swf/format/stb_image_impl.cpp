// The one place stb_image's implementation is compiled. Only the formats movies embed,
// memory input only, and no picture larger than the engine accepts.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 8192
#include <stb/stb_image.h>
