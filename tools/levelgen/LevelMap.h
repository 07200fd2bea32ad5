#pragma once
// A picture of the level seen from above, north (-z) at the top, for the documentation.
#include "tools/levelgen/Image.h"
#include "tools/levelgen/Level.h"

Image drawLevelMap(const LevelLayout& layout);
