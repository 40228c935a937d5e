#include "cli/CliSession.h"

namespace tamr {

std::unique_ptr<CTamrDoc> CliSession::Open(const std::filesystem::path& path, std::ostream& err)
{
    auto document = std::make_unique<CTamrDoc>(environment);
    const std::size_t shownBefore = prompter.MessageCount();
    if (document->OnOpenDocument(path))
        return document;
    if (prompter.MessageCount() == shownBefore)
        err << "tamr-cli: cannot open " << path.string() << '\n';
    return nullptr;
}

bool CliSession::SaveAs(CTamrDoc& document, const std::filesystem::path& path, std::ostream& err)
{
    prompter.SetSavePath(path);
    if (document.OnFileSaveAs())
        return true;
    err << "tamr-cli: " << path.string() << " was not written\n";
    return false;
}

} // namespace tamr
