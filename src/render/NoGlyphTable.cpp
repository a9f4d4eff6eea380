#include "GlyphTable.h"

// Built without the VGA face: PNGs are painted with the system's fonts.
const VgaGlyphTable* BuiltInGlyphTable(VgaDots) { return nullptr; }
