// stb_image's implementation, with the settings of StbImage.h.
#define STB_IMAGE_IMPLEMENTATION
#include "art/StbImage.h"
