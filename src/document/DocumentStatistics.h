#pragma once
// The texts of the Image Information and Image Statistics dialogs, formatted
// from the document when the command runs.

#include <cstdint>
#include <optional>
#include <string>

#include "image/PictureMetrics.h"

namespace tamr {

class CTamrDoc;

// "Image Information" (Properties).
struct ImageInformationTexts {
    std::string fileName;           // 101
    std::string originalDimensions; // 1004 "%d x %d"
    std::string displayDimensions;  // 103, the same text
    std::string compressionRatio;   // 1021 "%4.1f to 1"
    std::string compressedSize;     // 1007 "%d Bytes"
    std::string originalSize;       // 1006 "%d Bytes"
    std::string overallTime;        // 106 "%2.2f Sec"
    std::string compressionTime;    // 1019 "%2.2f Sec."
    std::string decompressionTime;  // 1020 "%2.2f Sec."
    std::string psnr;               // 1015 "N/A"
    std::string largestDifference;  // 1016 "N/A"
};

// "Image Statistics".
struct ImageStatisticsTexts {
    std::string compressionTime;      // 1005 "%2.2f Sec."
    std::string decompressionTime;    // 1010 "%2.2f Sec."
    std::string entropyDecode;        // 113 "%2.2f Sec."
    std::string colourTransformation; // 112 "%2.2f Sec"
    std::string waveletTransform;     // 111 "%2.2f Sec."
    std::string colourQuantisation;   // 110 "%2.2f Sec"
    std::string originalDimensions;   // 1004 "%d x %d"
    std::string compressionRatio;     // 1021 "%4.1f to 1"
    std::string compressedSize;       // 1007 "%d Bytes"
    std::string originalSize;         // 1006 "%d Bytes"
    std::string meanSquaredError;     // 1017 "%3.2f "
    std::string psnr;                 // 1015 "%3.2f dB." or "0"
    std::string largestDifference;    // 1016 "%d"
    std::string nonZeroBefore;        // 1008 "%d "
    std::string nonZeroAfter;         // 1009 "%i "
};

// The figures behind the texts, for the command line's JSON.
struct DocumentFigures {
    std::uint32_t compressedSize = 0;
    std::uint32_t originalSize = 0;
    double ratio = 0;
    int width = 0;
    int height = 0;
    float compressSeconds = 0;
    float decompressSeconds = 0;
    float entropySeconds = 0;
    float transformSeconds = 0;
    float convertSeconds = 0;
    float quantiseSeconds = 0;
    double psnr = 0;
    double meanSquaredError = 0;
    int largestDifference = 0;
    std::uint32_t nonZeroBefore = 0;
    std::uint32_t nonZeroAfter = 0;
    bool psnrShown = false; // the title ends in ".cod"
};

// Empty texts (and zero figures) for a document without a codec.
DocumentFigures Figures(const CTamrDoc& document);
// The same without the pass over the pictures for PSNR, MSE and the largest
// difference (left 0), for callers that measure them elsewhere.
DocumentFigures FiguresUnmeasured(const CTamrDoc& document);
ImageInformationTexts InformationTexts(const CTamrDoc& document);
ImageStatisticsTexts StatisticsTexts(const CTamrDoc& document);
// The same texts from figures taken earlier (before a Save As renamed the title).
ImageStatisticsTexts StatisticsTexts(const DocumentFigures& figures);

// The figures beyond the Statistics dialog (PSNR of luma, SSIM): the shown
// picture against the picture as loaded; none without the latter (a COD file
// on its own). SSIM costs a pass over the picture, so Figures leaves it out.
std::optional<PictureMetrics> Metrics(const CTamrDoc& document);

// "%3.2f dB." of a PSNR. A picture that did not change at all (lossless
// coding) has an infinite PSNR, shown as "inf dB.".
std::string PsnrText(double psnr);

} // namespace tamr
