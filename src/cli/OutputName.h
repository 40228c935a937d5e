#pragma once
// The files a command writes: their names checked before any work, and one
// way of writing them (the Save As rules of the document go the same way).
// - The empty name names no file: a usage error.
// - "-" is the standard output; its kind is given by --format.
// - A name that leads to a device or FIFO is written in place, its kind by
//   --format or the picture's own; every other name atomically.
// - No output may be a file the command reads, under any name or link.

#include <CLI/CLI.hpp>

#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "document/TamrDoc.h"
#include "image/PixelPlaneViews.h"
#include "platform/Prompter.h"

namespace tamr {

// A command line that is not understood ends with status 2, as is usual for
// command-line tools.
inline constexpr int kUsageError = 2;

// Refuses an empty value of an option or argument that names a file.
CLI::Option* NamesAFile(CLI::Option* option);

// --format cod|bmp|png|ppm|pgm: the kind of an output that has none in its name.
CLI::Option* AddFormatOption(CLI::App& command, std::string& format, const char* help);

// True for "-" and the names of the standard output: what a command would
// print there goes to standard error instead.
bool IsStandardOutput(const std::string& name);

// Before any work: "-" needs --format, and --format must not contradict the
// name's own ending. kUsageError after saying why, else 0.
int CheckOutputKind(const std::string& name, const std::string& format, std::ostream& err);

// What the output name answers to the Save As dialog: the name as the path,
// with --format as its extension when given. A name written in place and
// without an extension gets the picture's (`titleExtension`, such as ".cod")
// as its extension, so that nothing is appended to a device's name. Nothing
// when that picture has no extension to give.
std::optional<ChosenFile> OutputChoice(const std::string& name, const std::string& format,
                                       const std::string& titleExtension);

// The file the choice writes: its path, with the picture's extension
// appended when the choice has none (as Save As does).
std::filesystem::path OutputTarget(const ChosenFile& choice, const std::string& titleExtension);

// A picture that is no document (a difference picture, an index image):
// the file its name comes to and the kind that name gives, by the Save As
// rules. Nothing, after saying why, when the name gives no picture kind.
struct PictureOutput {
    std::filesystem::path target;
    CTamrDoc::Writer kind = CTamrDoc::Writer::Bmp;
};
std::optional<PictureOutput> ResolvePictureOutput(const std::string& name, const std::string& format,
                                                  const std::string& titleExtension, std::ostream& err);

// Bare bottom-up pixels (3 bytes blue, green, red, or 1 gray) as a file of
// the kind; empty when they cannot be encoded.
std::vector<std::uint8_t> PlainPictureFile(ConstPixelView pixels, int bytesPerPixel, CTamrDoc::Writer kind);

// Why a command does not write `output`: it is the very file the command reads.
std::string OutputIsInputText(const std::string& output);

// True, after saying so on `err`, when `output` names the very file one of
// `inputs` does (the same device and inode, whatever the names).
bool RefuseOutputOverInputs(const std::vector<std::string>& inputs, const std::filesystem::path& output,
                            std::ostream& err);

// Says that `name` was not saved: the program's "Cannot Save to the file!!"
// (unless `alreadyTold`), then the system's reason on a line of its own.
void SayNotSaved(const std::string& name, const std::string& reason, std::ostream& err, bool alreadyTold = false);

// Writes a file that is no document (a difference picture, a plot, a
// sweep's points) by the same rules; says why when it fails.
bool WriteCommandOutput(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::ostream& err);

// Makes the folder a command writes its files into (and those above it);
// false, after saying so on `err`, when it is not a folder afterwards.
bool MakeOutputFolder(const std::filesystem::path& folder, std::ostream& err);

} // namespace tamr
