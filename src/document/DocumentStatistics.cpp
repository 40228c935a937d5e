#include "document/DocumentStatistics.h"

#include <cmath>
#include <cstdio>

#include "document/TamrDoc.h"

namespace tamr {

namespace {

template <typename... Values> std::string Format(const char* format, Values... values)
{
    char text[128];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

} // namespace

std::string PsnrText(double psnr)
{
    return std::isfinite(psnr) ? Format("%3.2f dB.", psnr) : std::string("inf dB.");
}

DocumentFigures Figures(const CTamrDoc& document)
{
    DocumentFigures figures = FiguresUnmeasured(document);
    if (const CDibImage* image = document.Image(); image != nullptr && document.Codec() != nullptr) {
        const auto& measured = document.MeasuredDifferences();
        const QualityFigures quality = measured ? *measured : image->MeasureQuality();
        figures.psnr = quality.psnr;
        figures.meanSquaredError = quality.meanSquaredError;
        figures.largestDifference = quality.largestDifference;
    }
    return figures;
}

DocumentFigures FiguresUnmeasured(const CTamrDoc& document)
{
    DocumentFigures figures;
    const WaveletCodec* codec = document.Codec();
    const CDibImage* image = document.Image();
    if (!codec || !image)
        return figures;
    figures.compressedSize =
        static_cast<std::uint32_t>(codec->HeaderSize()) + static_cast<std::uint32_t>(codec->DataSize());
    figures.originalSize = image->FileHeader().bfSize;
    figures.ratio = static_cast<double>(figures.originalSize) / static_cast<double>(figures.compressedSize);
    figures.width = static_cast<std::uint16_t>(codec->Width());
    figures.height = static_cast<std::uint16_t>(codec->Height());
    figures.compressSeconds = document.CompressSeconds();
    figures.decompressSeconds = document.DecompressSeconds();
    for (int c = 0; c < 3; ++c) {
        const CodecComponent& component = codec->Component(static_cast<std::size_t>(c));
        figures.entropySeconds += component.EntropySeconds();
        figures.transformSeconds += component.TransformSeconds();
        figures.nonZeroBefore += component.NonZeroBefore();
        figures.nonZeroAfter += component.NonZeroAfter();
    }
    figures.convertSeconds = image->ConvertSeconds();
    figures.quantiseSeconds = image->QuantiseSeconds();
    figures.psnrShown = document.TitleExtension() == ".cod";
    return figures;
}

std::optional<PictureMetrics> Metrics(const CTamrDoc& document)
{
    const CDibImage* image = document.Image();
    // A compression measured as it decoded kept the picture as loaded, which
    // the costlier figures would measure against itself.
    if (!image || image->BytesPerPixel() == 0 || image->ReferencePixels().empty() || image->Pixels().empty() ||
        document.MeasuredDifferences())
        return std::nullopt;
    return MeasurePictures(image->ReferenceView(), image->WorkingView(), image->BytesPerPixel());
}

ImageInformationTexts InformationTexts(const CTamrDoc& document)
{
    ImageInformationTexts texts;
    if (!document.Codec() || !document.Image())
        return texts;
    const DocumentFigures figures = Figures(document);
    texts.compressedSize = Format("%d Bytes", static_cast<int>(figures.compressedSize));
    texts.originalSize = Format("%d Bytes", static_cast<int>(figures.originalSize));
    texts.compressionRatio = Format("%4.1f to 1", figures.ratio);
    texts.originalDimensions = Format("%d x %d", figures.width, figures.height);
    texts.displayDimensions = texts.originalDimensions;
    texts.fileName = document.Title();
    texts.psnr = "N/A";
    texts.largestDifference = "N/A";
    texts.decompressionTime = Format("%2.2f Sec.", static_cast<double>(figures.decompressSeconds));
    texts.compressionTime = Format("%2.2f Sec.", static_cast<double>(figures.compressSeconds));
    texts.overallTime = Format("%2.2f Sec", static_cast<double>(figures.decompressSeconds + figures.compressSeconds));
    return texts;
}

ImageStatisticsTexts StatisticsTexts(const CTamrDoc& document)
{
    if (!document.Codec() || !document.Image())
        return {};
    return StatisticsTexts(Figures(document));
}

ImageStatisticsTexts StatisticsTexts(const DocumentFigures& figures)
{
    ImageStatisticsTexts texts;
    texts.compressedSize = Format("%d Bytes", static_cast<int>(figures.compressedSize));
    texts.originalSize = Format("%d Bytes", static_cast<int>(figures.originalSize));
    texts.compressionRatio = Format("%4.1f to 1", figures.ratio);
    texts.originalDimensions = Format("%d x %d", figures.width, figures.height);
    texts.psnr = figures.psnrShown ? PsnrText(figures.psnr) : std::string("0");
    texts.meanSquaredError = Format("%3.2f ", figures.meanSquaredError);
    texts.largestDifference = Format("%d", figures.largestDifference);
    texts.compressionTime = Format("%2.2f Sec.", static_cast<double>(figures.compressSeconds));
    texts.decompressionTime = Format("%2.2f Sec.", static_cast<double>(figures.decompressSeconds));
    texts.entropyDecode = Format("%2.2f Sec.", static_cast<double>(figures.entropySeconds));
    texts.waveletTransform = Format("%2.2f Sec.", static_cast<double>(figures.transformSeconds));
    texts.nonZeroBefore = Format("%d ", static_cast<int>(figures.nonZeroBefore));
    texts.nonZeroAfter = Format("%i ", static_cast<int>(figures.nonZeroAfter));
    texts.colourQuantisation = Format("%2.2f Sec", static_cast<double>(figures.quantiseSeconds));
    texts.colourTransformation = Format("%2.2f Sec", static_cast<double>(figures.convertSeconds));
    return texts;
}

} // namespace tamr
