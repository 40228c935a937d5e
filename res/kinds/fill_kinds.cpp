// Writes a file from its template with the kinds of picture this build opens
// filled in, so that the desktop entry and the manual pages never list them
// by hand:
//   tamr-fill-kinds TEMPLATE OUTPUT
// {{PICTURE_KINDS}}       "BMP, TGA, ..., JPEG XL and COD"
// {{PICTURE_MIME_TYPES}}  "application/x-tamr-cod;image/bmp;...;"
// {{PICTURE_KIND_LIST}}   a roff list: each kind with its file name endings

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "image/PictureKinds.h"

namespace {

std::string RoffKindList()
{
    std::string list;
    for (const tamr::PictureKind* kind : tamr::OpenablePictureKinds()) {
        list += ".TP\n.B " + std::string(kind->name) + "\n";
        // Each ending with its dot; \& keeps a line from starting with one.
        std::string dotted;
        for (const std::string_view extension : tamr::AllExtensions(*kind))
            dotted += (dotted.empty() ? "\\&." : ", .") + std::string(extension);
        list += dotted + "\n";
    }
    if (!list.empty())
        list.pop_back();
    return list;
}

void ReplaceAll(std::string& text, const std::string& placeholder, const std::string& value)
{
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: tamr-fill-kinds TEMPLATE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        std::cerr << "tamr-fill-kinds: cannot read " << argv[1] << '\n';
        return 1;
    }
    ReplaceAll(text, "{{PICTURE_KINDS}}", tamr::PictureKindsText("and"));
    ReplaceAll(text, "{{PICTURE_MIME_TYPES}}", tamr::PictureMimeTypesLine());
    ReplaceAll(text, "{{PICTURE_KIND_LIST}}", RoffKindList());
    if (text.find("{{") != std::string::npos) {
        std::cerr << "tamr-fill-kinds: " << argv[1] << " has a placeholder it does not know\n";
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << text;
    return out.good() ? 0 : 1;
}
