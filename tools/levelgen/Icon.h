#pragma once
// The game's icon for the desktop's menus and launchers.
#include "tools/levelgen/Image.h"

// A square of size pixels with transparent corners: the red and white drug capsule over a
// dark, sickly tile ringed by the blur that grows as life drains.
Image gameIcon(int size);
