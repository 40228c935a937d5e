#pragma once
// The document of one open picture: opens files by their content, compresses
// with the current settings, saves COD or BMP files by the rules of its title,
// and reports sizes, times and quality. It talks to the user only through the
// Prompter.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "codec/CodecSettings.h"
#include "codec/WaveletCodec.h"
#include "document/Document.h"
#include "image/DibImage.h"
#include "image/DisplaySettings.h"
#include "image/FileType.h"
#include "image/ImageCompression.h"
#include "image/ImagePalette.h"
#include "image/PictureReaderTable.h"
#include "platform/Failure.h"
#include "platform/FileIo.h"
#include "platform/Limits.h"
#include "platform/Prompter.h"

namespace tamr {

// What a document works with, owned by the application.
struct DocumentEnvironment {
    CodecSettings& settings;
    DisplaySettings& display;
    Prompter& prompter;
    // Where Save writes: the folder last chosen in a file dialog.
    std::filesystem::path currentDirectory = std::filesystem::current_path();
    // How saved files reach the disk; nothing: the system's calls.
    const FileOutput* fileOutput = nullptr;
    // How much memory an opened file may make the document take.
    Limits limits{};
    // Whether variants the program's own readers refuse go to the general readers.
    ReadPolicy readPolicy{};
};

class CTamrDoc : public Document {
public:
    explicit CTamrDoc(DocumentEnvironment& environment);
    ~CTamrDoc() override;
    CTamrDoc(const CTamrDoc&) = delete;
    CTamrDoc& operator=(const CTamrDoc&) = delete;

    // An empty document: no image and no codec.
    bool OnNewDocument();
    // Opens a file by its content; on success the path name and the title
    // (the file name) are set, as the framework does after a successful open.
    Status OnOpenDocument(const std::filesystem::path& path);
    // The same, with the kind of file decided as if its full name were
    // nameForType (the Open dialog's lower-case name of the file).
    Status OnOpenDocument(const std::filesystem::path& path, const std::string& nameForType);
    // The same for a file's bytes held in memory; the path name and title stay as they were.
    Status OpenBytes(ByteBlock&& file, const std::string& nameForType);
    // Codes the reference image with the current settings and shows the
    // decoded result; the failure when compressing fails (the caller tells the user).
    // CodedOnly leaves the decoding out, for a caller that only writes the
    // COD file: the picture stays as loaded and is written as nothing else
    // (a BMP, PNG or PNM Save refuses) until it is compressed with Decoded.
    // Measured is CodedOnly for a caller that wants the decoded picture's
    // error figures too: they are measured as its rows come, without holding
    // it (MeasuredDifferences).
    enum class Showing : std::uint8_t { Decoded, CodedOnly, Measured };
    Status Compress(Showing showing = Showing::Decoded);
    // The figures of the last compression when it was Measured.
    const std::optional<QualityFigures>& MeasuredDifferences() const { return measuredDifferences_; }
    // Pictures the document's compressions have decoded.
    int DecodedCount() const { return decodedCount_; }

    // Compressing off the user-interface thread, in three steps: a copy of the
    // picture and codec to code with `settings` (nothing without a picture),
    // coded by RunCompressJob on any thread (it touches only the job), and
    // the result taken by AdoptCompressed on the user-interface thread as
    // Compress takes its own. A job made for an earlier generation of the
    // picture, one offered while an edit session is open, or one whose
    // coding failed is refused (false).
    //
    // With a level sink and incremental display on, every decoded level but
    // the last is made into a level image and handed to the sink on the
    // coding thread (the sink must not touch the document).
    using LevelSink = std::function<void(const CDibImage& levelImage)>;
    struct CompressJob {
        std::unique_ptr<CDibImage> image;
        std::unique_ptr<WaveletCodec> codec;
        CodecSettings settings;
        DisplaySettings display;
        std::optional<CompressionTimes> times;
        std::uint64_t generation = 0;
        std::unique_ptr<CDibImage> levelImage;
        LevelSink onLevel;
    };
    std::optional<CompressJob> MakeCompressJob(const CodecSettings& settings, LevelSink onLevel = {}) const;
    // After this the jobs made, and any other copy of the picture, share its
    // pixels instead of copying them: a copy for another thread costs no pass
    // over a large picture. The document copies them itself when it next
    // changes them. Only on the thread the document is used on.
    void SharePicture();
    static void RunCompressJob(CompressJob& job);
    // `noticeGiven`: the caller has already told what Compress tells before
    // coding (WarnBeforeCompress); otherwise it goes to the status line.
    bool AdoptCompressed(CompressJob job, bool noticeGiven = false);
    // What Compress tells the user before coding: a JPEG source is coded a
    // second time. A box the first time for this document, a notice after.
    void WarnBeforeCompress();

    // Changes whenever the picture the document holds is replaced, or edited
    // in an edit session: work begun on an earlier generation is out of date.
    std::uint64_t Generation() const { return generation_; }

    // While an edit session is open (a dialog edits the pixels in place, or a
    // Compress is in hand) no result made elsewhere replaces the picture.
    // The session ends when it goes; it moves the generation on when the
    // pixels were changed in it.
    class EditSession {
    public:
        explicit EditSession(CTamrDoc& document);
        ~EditSession() { End(); }
        EditSession(EditSession&& other) noexcept;
        EditSession& operator=(EditSession&&) = delete;
        EditSession(const EditSession&) = delete;
        EditSession& operator=(const EditSession&) = delete;

        void MarkChanged() { changed_ = true; }
        void End();

    private:
        CTamrDoc* document_;
        bool changed_ = false;
    };
    [[nodiscard]] EditSession OpenEditSession() { return EditSession(*this); }
    bool InEditSession() const { return editSessions_ > 0; }
    // Both return whether a file was written.
    bool OnFileSave();
    bool OnFileSaveAs();
    // Writes the COD file next to `path` when a modified document is closed.
    bool OnSaveDocument(const std::filesystem::path& path);
    // The system's reason why the last write failed ("No space left on
    // device"); empty when it succeeded or failed for no reason of the system.
    const std::string& SaveFailure() const { return saveFailure_; }

    // The kind of file a lower-case name gets: its own extension first, then
    // any ".cod", then any ".bmp" in the file name; None for neither.
    enum class Writer { Cod, Bmp, Png, Pnm, None };
    static Writer WriterFor(const std::string& lowerCaseName);

    bool OnUpdateFileSave() const;
    bool OnUpdateFileSaveAs() const;

    // The 256 colours of the image's colour table, for drawing.
    static ImagePalette CreateImagePalette(const CDibImage& image);

    // The last four characters of the title, and the title renamed to ".cod".
    std::string TitleExtension() const;
    static std::string CodTitle(const std::string& title);

    CDibImage* Image() { return image_.get(); }
    const CDibImage* Image() const { return image_.get(); }
    WaveletCodec* Codec() { return codec_.get(); }
    const WaveletCodec* Codec() const { return codec_.get(); }
    const ImagePalette* Palette() const { return palette_.get(); }
    FileType SourceType() const { return sourceType_; }
    // The reader that read the picture (kOriginalReaderName or a general
    // reader's name); empty for a COD file.
    const std::string& ReaderName() const { return readerName_; }
    // How the picture was turned upright and which profile it had, and the
    // depth of its file's samples (without the Exif and profile bytes).
    const PictureMetadata& SourceMetadata() const { return sourceMetadata_; }
    // The policy that reads the document's file to the same picture again
    // (for a sweep of the file): any variant when a general reader read it.
    ReadPolicy ReopenPolicy() const { return ReadPolicy{!readerName_.empty() && readerName_ != kOriginalReaderName}; }
    // What the document was opened with, for files opened beside it.
    const DocumentEnvironment& Environment() const { return environment_; }
    float CompressSeconds() const { return compressSeconds_; }
    float DecompressSeconds() const { return decompressSeconds_; }
    bool ImageEdited() const { return imageEdited_; }
    // Pictures read from image files are coded; a COD document keeps its data.
    bool CodesItsPicture() const { return sourceType_ != FileType::Cod && sourceType_ != FileType::Unknown; }
    // Filters and Sharpen Image set this when their dialog closes.
    void SetImageEdited(bool edited) { imageEdited_ = edited; }

private:
    Status OpenCod(std::span<const std::uint8_t> file);
    // Every picture file: read through the reader table, then loaded.
    Status OpenPicture(ByteBlock&& file, const PictureReaderEntry& reader);
    // Tells the user why a file was refused: the reader's boxes, or the read
    // error with the reason under it when the reader has none.
    void ShowRefusal(const PictureReadResult& result);
    Status ImageFromPackedBlock(ByteBlock&& block);

    // Progressive display while the codec decodes: the image each level is
    // drawn from, and the codec's callback that makes and shows it.
    struct LevelDisplay {
        std::unique_ptr<CDibImage> image;
        WaveletCodec::LevelCallback callback;
    };
    // With incremental display on, a level image for the codec's picture and
    // a callback that shows every level in the first view; without it an
    // empty callback. Nothing when the level image cannot be made.
    std::optional<LevelDisplay> MakeLevelDisplay();
    void ShowDecodedLevel(CDibImage& levelImage, const WaveletCodec& codec, int level);
    void MakeCodecForImage();
    // Compressing a JPEG picture codes it a second time: the user is told,
    // by a box once (`mayInterrupt`), otherwise in the status line.
    void WarnIfJpegSource(bool mayInterrupt);

    // The bit-depth warnings of the image's first reserved word; false when
    // the user does not want the file written.
    bool ConfirmBitDepth();
    // Writes the COD file or the shown picture as a BMP, PNG or PNM file, chosen by the name.
    bool Write(Writer writer, const std::filesystem::path& path);
    void ShowCannotSave();

    DocumentEnvironment& environment_;
    bool imageEdited_ = false;
    bool jpegWarningShown_ = false;
    std::uint64_t generation_ = 0;
    int editSessions_ = 0;
    std::unique_ptr<CDibImage> image_;
    std::unique_ptr<WaveletCodec> codec_;
    FileType sourceType_ = FileType::Unknown;
    std::string readerName_;
    PictureMetadata sourceMetadata_;
    float compressSeconds_ = 0;
    float decompressSeconds_ = 0;
    // The last compression left the picture as loaded instead of decoded.
    bool decodingLeftOut_ = false;
    std::optional<QualityFigures> measuredDifferences_;
    int decodedCount_ = 0;
    std::unique_ptr<ImagePalette> palette_;
    std::string saveFailure_;
};

} // namespace tamr
