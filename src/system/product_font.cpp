#include "system/product_font.h"

// Stand-in until the carried font file is embedded: start-up already calls it at the
// right moment, and it does nothing yet.
void InstallProductFont() {}
