#include "cli/CliSession.h"

#include "document/DocumentMessages.h"
#include "platform/FileIo.h"

namespace tamr {

std::string OutputIsInputText(const std::string& output)
{
    return output + " is the input picture; choose another name";
}

bool RefuseOutputOverInput(const std::filesystem::path& input, const std::filesystem::path& output, std::ostream& err)
{
    if (!SameFile(input, output))
        return false;
    err << "tamr-cli: " << OutputIsInputText(output.string()) << '\n';
    return true;
}

std::unique_ptr<CTamrDoc> CliSession::Open(const std::filesystem::path& path, std::ostream& err)
{
    auto document = std::make_unique<CTamrDoc>(environment);
    const std::size_t shownBefore = prompter.MessageCount();
    const Status opened = document->OnOpenDocument(path);
    if (opened)
        return document;
    if (opened.IsOverDecodeLimit())
        err << "tamr-cli: " << path.string() << ' ' << DecodeLimitText(environment.limits) << '\n';
    else if (prompter.MessageCount() == shownBefore)
        err << "tamr-cli: cannot open " << path.string() << '\n';
    return nullptr;
}

bool CliSession::SaveAs(CTamrDoc& document, const std::filesystem::path& path, std::ostream& err)
{
    // A name without an extension takes the document's, so only now is the
    // file known: "convert a.bmp a" would otherwise write over a.bmp.
    std::filesystem::path target = path;
    if (!path.has_extension())
        target += document.TitleExtension();
    if (!document.PathName().empty() && RefuseOutputOverInput(document.PathName(), target, err))
        return false;
    prompter.SetSavePath(path);
    if (document.OnFileSaveAs())
        return true;
    err << "tamr-cli: " << path.string() << " was not written\n";
    return false;
}

} // namespace tamr
