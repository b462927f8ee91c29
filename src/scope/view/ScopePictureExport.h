#pragma once

#include <string>

#include "data/Strings.h"

namespace kvt {

class CChildView;

// Scope > Export Picture: the current view as a picture. A name ending in ".svg" gives a vector
// picture of the page with its texts drawn (when the program is built with SVG support); any
// other name a PNG of the view exactly as it is on the screen, label controls included.
bool svgExportAvailable();
// False with the reason in `error` when the file could not be written.
bool exportScopePicture(CChildView& view, Strings& strings, const std::string& path,
                        std::string& error);

}  // namespace kvt
