#include "cli/CliSession.h"

#include "document/DocumentMessages.h"
#include "image/PictureKinds.h"
#include "platform/FileIo.h"

namespace tamr {
namespace {

// The extension that lets the Save As rules treat standard input as a file of its kind.
std::string ExtensionOf(FileType type)
{
    const PictureKind* kind = FindPictureKind(type);
    return kind != nullptr ? "." + std::string(kind->openExtensions.front()) : std::string();
}

} // namespace

std::filesystem::path InputPath(const std::string& name)
{
    return name == kStandardStreamName ? std::filesystem::path("/dev/stdin") : std::filesystem::path(name);
}

std::unique_ptr<CTamrDoc> CliSession::Open(const std::string& name, std::ostream& err)
{
    auto document = std::make_unique<CTamrDoc>(environment);
    const std::size_t shownBefore = prompter.MessageCount();
    const Status opened = document->OnOpenDocument(InputPath(name));
    if (opened) {
        if (name == kStandardStreamName)
            document->SetTitle("stdin" + ExtensionOf(document->SourceType()));
        return document;
    }
    if (opened.IsOverDecodeLimit())
        err << "tamr-cli: " << name << ' ' << DecodeLimitText(environment.limits) << '\n';
    else if (opened.Failure() == FailureKind::TooLarge && name == kStandardStreamName)
        err << "tamr-cli: standard input holds more than the " << (environment.limits.MaxStreamBytes() >> 20)
            << " MiB a picture within the decode limit can take\n";
    else if (prompter.MessageCount() == shownBefore)
        err << "tamr-cli: cannot open " << name << '\n';
    return nullptr;
}

bool CliSession::SaveAs(CTamrDoc& document, const std::string& name, const std::string& format,
                        const std::vector<std::string>& inputs, std::ostream& err)
{
    const auto choice = OutputChoice(name, format, document.TitleExtension());
    if (!choice) {
        err << "tamr-cli: " << name << " names no kind of file: give --format\n";
        return false;
    }
    // A name without an extension takes the document's, so only now is the
    // file known: "convert a.bmp a" would otherwise write over a.bmp.
    if (RefuseOutputOverInputs(inputs, OutputTarget(*choice, document.TitleExtension()), err))
        return false;
    prompter.SetSaveChoice(*choice);
    const std::size_t shownBefore = prompter.MessageCount();
    if (document.OnFileSaveAs())
        return true;
    SayNotSaved(name, document.SaveFailure(), err, prompter.MessageCount() != shownBefore);
    return false;
}

} // namespace tamr
