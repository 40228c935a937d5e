#include "cli/PictureKindsHelp.h"

#include "image/PictureKinds.h"

namespace tamr {

std::string PictureArgumentHelp(std::string_view what, bool withCod)
{
    return std::string(what) + " (" + PictureKindsText("or", withCod) + "; - for standard input)";
}

std::string PictureKindsFooter()
{
    std::string footer = "Pictures, recognised by their content (TGA by its name), and their file name endings:\n";
    for (const PictureKind* kind : OpenablePictureKinds()) {
        std::string line = "  " + std::string(kind->name);
        line.resize(std::max<std::size_t>(line.size() + 1, 12), ' ');
        for (const std::string_view extension : AllExtensions(*kind))
            line += " ." + std::string(extension);
        footer += line + '\n';
    }
    return footer;
}

} // namespace tamr
