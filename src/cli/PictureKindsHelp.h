#pragma once
// The kinds of picture tamr-cli reads, as its help texts name them (from the
// one list of kinds in src/image/PictureKinds.h).

#include <string>
#include <string_view>

namespace tamr {

// "WHAT (BMP, TGA, ... or COD; - for standard input)", COD left out when the command refuses COD files.
std::string PictureArgumentHelp(std::string_view what, bool withCod = true);

// The end of `tamr-cli --help`: each kind this build reads with its file name
// extensions, one a line (the shell completion reads the extensions there).
std::string PictureKindsFooter();

} // namespace tamr
