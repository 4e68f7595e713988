// StbImage: the one compiled copy of the stb image reader and writer (header-only libraries):
// PNG, BMP, TGA and JPG. Everything else includes their headers for the declarations only.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO  // files are read and written by the caller, from and to memory
#define STBI_WRITE_NO_STDIO
#include <stb_image.h>
#include <stb_image_write.h>
