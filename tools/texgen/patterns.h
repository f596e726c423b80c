// The scene's small procedural textures. Each painter creates a 24-bit image of the given size
// and returns false (with a reason) if it cannot; the content is a pure function of the size.
#pragma once

#include <string>

class CImage;

namespace texgen {

// The floor: `tiles` × `tiles` stone tiles of slightly different greys with a little grain,
// separated by dark grout lines. The pattern wraps at the image edges. size must be a multiple
// of tiles with at least 8 texels per tile.
bool paintFloorTiles(CImage* image, int size, int tiles, std::string* error);

// White lines `spacing` texels apart (two texels wide) on a mid grey; the light marker's
// texture. size must be a multiple of spacing, spacing ≥ 4.
bool paintWhiteGrid(CImage* image, int size, int spacing, std::string* error);

// The fallback for textures that fail to load: a magenta and black checkerboard of `squares`
// × `squares` with a white cross corner to corner. size ≥ 16, a multiple of squares.
bool paintDefaultPattern(CImage* image, int size, int squares, std::string* error);

} // namespace texgen
