#include "cli/CliSession.h"

#include "platform/FileIo.h"

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

bool SaveFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::ostream& err)
{
    std::string reason;
    if (bytes.empty() || !WriteFileAtomically(path, bytes, &reason)) {
        err << "tamr-cli: cannot write " << path.string() << (reason.empty() ? "" : ": " + reason) << '\n';
        return false;
    }
    return true;
}

} // namespace tamr
