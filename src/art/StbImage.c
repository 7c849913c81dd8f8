// stb_image's and stb_image_resize's implementations, with the settings of
// StbImage.h.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include "art/StbImage.h"
