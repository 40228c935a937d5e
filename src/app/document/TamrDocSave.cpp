// Save, Save As and the save on closing: COD or BMP chosen by the name.

#include <algorithm>
#include <cctype>

#include "app/document/TamrDoc.h"
#include "platform/FileIo.h"

namespace tamr {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string LastFour(const std::string& text)
{
    return text.size() <= 4 ? text : text.substr(text.size() - 4);
}

} // namespace

CTamrDoc::Writer CTamrDoc::WriterFor(const std::string& lowerCaseName)
{
    if (lowerCaseName.find(".cod") != std::string::npos)
        return Writer::Cod;
    if (lowerCaseName.find(".bmp") != std::string::npos)
        return Writer::Bmp;
    return Writer::None;
}

void CTamrDoc::ShowCannotSave()
{
    environment_.prompter.ShowError("Cannot Save to the file!!", "Error");
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
    std::vector<std::uint8_t> bytes;
    if (writer == Writer::Cod && codec_)
        bytes = codec_->WriteHeader();
    else if (writer == Writer::Bmp && image_)
        bytes = image_->WriteBmp();
    // The whole file goes to a temporary file first: a failed write leaves any old file as it was.
    return !bytes.empty() && WriteFileAtomically(path, bytes);
}

bool CTamrDoc::OnFileSave()
{
    const std::string name = Lower(Title());
    const std::filesystem::path target = environment_.currentDirectory / name;
    std::error_code error;
    if (std::filesystem::exists(target, error)) {
        const MessageAnswer answer = environment_.prompter.ShowMessage(
            {"Copy over existsting file??", "", MessageIcon::Question, MessageButtons::YesNo});
        if (answer != MessageAnswer::Yes)
            return false;
    }
    if (name.find(".cod") == std::string::npos && !ConfirmBitDepth())
        return false;
    const Writer writer = WriterFor(name);
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
        request = {"COD (*.cod)|*.cod;*.COD|BMP (*.bmp)|*.bmp;*.BMP;****||", "cod;bmp;****", title};
    } else {
        const auto dot = title.find('.');
        request = {"BMP (*.bmp)|*.bmp;*.BMP;****||", "bmp", dot == std::string::npos ? "" : title.substr(0, dot)};
    }
    const auto chosen = environment_.prompter.AskSaveFile(request);
    if (!chosen)
        return false;
    std::string path = Lower(chosen->path.string());
    const std::string extension = Lower(chosen->extension);
    // A name typed without extension takes the title's, and so does the new title.
    const std::string newTitle =
        extension.empty() ? chosen->title + TitleExtension() : chosen->title + "." + chosen->extension;
    if (extension.empty())
        path += TitleExtension();

    const std::string last = LastFour(path);
    if (!(last == TitleExtension() || TitleExtension() == ".cod" || last == ".bmp")) {
        environment_.prompter.ShowError("The file is not this type!!", "Error");
        return false;
    }
    if (TitleExtension() != ".cod" && !ConfirmBitDepth())
        return false;
    const Writer writer = WriterFor(path);
    if (writer == Writer::None || !Write(writer, path)) {
        ShowCannotSave();
        return false;
    }
    SetTitle(newTitle);
    environment_.currentDirectory = std::filesystem::path(path).parent_path();
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
    return ((extension == ".cod" || extension == ".bmp") && !imageEdited_) || IsModified();
}

bool CTamrDoc::OnUpdateFileSaveAs() const
{
    const std::string extension = TitleExtension();
    return extension == ".cod" || extension == ".bmp" || IsModified();
}

} // namespace tamr
