// Save, Save As and the save on closing: COD, or the shown picture as BMP,
// PNG or PNM, chosen by the name.

#include <cerrno>
#include <cstring>
#include <fstream>

#include "document/DocumentMessages.h"
#include "document/LowerCase.h"
#include "document/TamrDoc.h"
#include "image/PictureWriters.h"
#include "image/TopDownPicture.h"
#include "platform/FileIo.h"

namespace tamr {

namespace {

std::string LastFour(const std::string& text)
{
    return text.size() <= 4 ? text : text.substr(text.size() - 4);
}

// The endings of files that hold the shown picture: BMP, and the PNG and PNM
// files added beside it. Wherever a BMP can be written, these can.
bool IsPictureEnding(const std::string& lowerCaseLastFour)
{
    return lowerCaseLastFour == ".bmp" || lowerCaseLastFour == ".png" || lowerCaseLastFour == ".ppm" ||
           lowerCaseLastFour == ".pgm";
}

constexpr const char* kAddedSaveFilters = "|PNG (*.png)|*.png;*.PNG|PNM (*.ppm;*.pgm)|*.ppm;*.PPM;*.pgm;*.PGM||";

std::vector<std::uint8_t> PictureFile(const CDibImage& image, bool png)
{
    const auto picture = ShownPicture(image);
    if (!picture)
        return {};
    return png ? EncodePng(*picture) : EncodePnm(*picture);
}

} // namespace

// The name's own extension decides first, so that "photo.cod.bmp" is a
// bitmap and "photo.bmp.png" a PNG file; otherwise any ".cod", then any
// ".bmp" in the name. Only the file name counts, never the folders it lies in.
CTamrDoc::Writer CTamrDoc::WriterFor(const std::string& lowerCaseName)
{
    const std::string name = std::filesystem::path(lowerCaseName).filename().string();
    const std::string last = LastFour(name);
    if (last == ".cod")
        return Writer::Cod;
    if (last == ".bmp")
        return Writer::Bmp;
    if (last == ".png")
        return Writer::Png;
    if (last == ".ppm" || last == ".pgm")
        return Writer::Pnm;
    if (name.find(".cod") != std::string::npos)
        return Writer::Cod;
    if (name.find(".bmp") != std::string::npos)
        return Writer::Bmp;
    return Writer::None;
}

void CTamrDoc::ShowCannotSave()
{
    environment_.prompter.ShowError(std::string(kCannotSaveMessage), "Error");
}

bool CTamrDoc::ConfirmBitDepth()
{
    if (!image_)
        return true;
    auto& reserved = image_->FileHeader().bfReserved1;
    const struct {
        std::uint16_t word;
        const char* text;
    } warnings[] = {{4, "File will be saved as 24 bit!"}, {1, "File will be saved as 8 bit!"}};
    for (const auto& warning : warnings) {
        if (reserved != warning.word)
            continue;
        const MessageAnswer answer = environment_.prompter.ShowMessage(
            {warning.text, "Warning!", MessageIcon::Error, MessageButtons::YesNoCancel});
        if (answer != MessageAnswer::Yes)
            return false;
        reserved = 0;
    }
    return true;
}

bool CTamrDoc::Write(Writer writer, const std::filesystem::path& path)
{
    saveFailure_.clear();
    // The picture of a compression that left the decoding out is the one
    // loaded, not the one the COD file shows.
    if (writer != Writer::Cod && decodingLeftOut_)
        return false;
    FileParts file;
    try {
        if (writer == Writer::Cod && codec_)
            file = codec_->CodFile();
        else if (writer == Writer::Bmp && image_)
            file = image_->BmpFile();
        else if ((writer == Writer::Png || writer == Writer::Pnm) && image_)
            file.head = PictureFile(*image_, writer == Writer::Png);
    } catch (const std::bad_alloc&) {
        saveFailure_ = std::strerror(ENOMEM);
        return false;
    }
    if (file.Empty())
        return false;
    // A file goes to a temporary file first: a failed write leaves any old file as it was.
    const FileOutput systemOutput;
    const FileOutput& output = environment_.fileOutput ? *environment_.fileOutput : systemOutput;
    return WriteOutputFile(path, file.Pieces(), &saveFailure_, output);
}

// Names are compared without regard to case, but files are written under the
// name as given: on a case-sensitive file system a lower-cased name would be
// another file than the one the user chose (or was asked to overwrite).
bool CTamrDoc::OnFileSave()
{
    const std::string title = Title();
    const std::string name = Lower(title);
    const std::filesystem::path target = environment_.currentDirectory / title;
    if (std::ifstream(target).is_open()) {
        const MessageAnswer answer = environment_.prompter.ShowMessage(
            {"Copy over existsting file??", "", MessageIcon::Question, MessageButtons::YesNo});
        if (answer != MessageAnswer::Yes)
            return false;
    }
    const Writer writer = WriterFor(name);
    if (writer != Writer::Cod && !ConfirmBitDepth())
        return false;
    if (writer == Writer::None || !Write(writer, target)) {
        ShowCannotSave();
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool CTamrDoc::OnFileSaveAs()
{
    const std::string title = Title();
    SaveFileRequest request;
    if (!imageEdited_) {
        request = {std::string("COD (*.cod)|*.cod;*.COD|BMP (*.bmp)|*.bmp;*.BMP;****") + kAddedSaveFilters,
                   "cod;bmp;****", title};
    } else {
        const auto dot = title.find('.');
        request = {std::string("BMP (*.bmp)|*.bmp;*.BMP;****") + kAddedSaveFilters, "bmp",
                   dot == std::string::npos ? "" : title.substr(0, dot)};
    }
    const auto chosen = environment_.prompter.AskSaveFile(request);
    if (!chosen)
        return false;
    // The file dialog makes the chosen folder the current one, whatever follows.
    if (chosen->path.has_parent_path())
        environment_.currentDirectory = chosen->path.parent_path();

    const std::string extension = Lower(chosen->extension);
    std::filesystem::path target = chosen->path;
    // A name typed without extension takes the title's, and so does the new title.
    if (extension.empty())
        target += TitleExtension();
    const std::string newTitle =
        extension.empty() ? chosen->title + TitleExtension() : chosen->title + "." + chosen->extension;
    // The kind follows the chosen title and extension, which a dialog takes
    // from the file name; the command line may give a kind to a name that has
    // none of its own ("-" for the standard output, a device).
    const std::string lowered = Lower(newTitle);

    const std::string last = LastFour(lowered);
    const bool kindAccepted = last == TitleExtension() || TitleExtension() == ".cod" || IsPictureEnding(last);
    // An edited picture is saved as a bitmap only: a COD file would hold the
    // coded data without the edits.
    const bool editsKept = !imageEdited_ || WriterFor(lowered) != Writer::Cod;
    if (!kindAccepted || !editsKept) {
        environment_.prompter.ShowError(std::string(kNotThisTypeMessage), "Error");
        return false;
    }
    if (TitleExtension() != ".cod" && !ConfirmBitDepth())
        return false;
    const Writer writer = WriterFor(lowered);
    if (writer == Writer::None || !Write(writer, target)) {
        ShowCannotSave();
        return false;
    }
    SetTitle(newTitle);
    SetModifiedFlag(false);
    return true;
}

bool CTamrDoc::OnSaveDocument(const std::filesystem::path& path)
{
    const std::string fileName = path.filename().string();
    const std::filesystem::path target = path.parent_path() / (fileName.substr(0, fileName.find('.')) + ".cod");
    if (!Write(Writer::Cod, target))
        return false;
    SetModifiedFlag(false);
    return true;
}

bool CTamrDoc::OnUpdateFileSave() const
{
    const std::string extension = TitleExtension();
    return ((extension == ".cod" || IsPictureEnding(extension)) && !imageEdited_) || IsModified();
}

bool CTamrDoc::OnUpdateFileSaveAs() const
{
    const std::string extension = TitleExtension();
    return extension == ".cod" || IsPictureEnding(extension) || IsModified();
}

} // namespace tamr
