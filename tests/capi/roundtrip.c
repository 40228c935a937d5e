/* The C interface from a C program: a picture made here is compressed into
 * a buffer of the caller's and a new one, decoded and measured; lossless
 * coding gives the pixels back; failures come back as codes with a message. */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tamr/tamr.h>

enum { kWidth = 200, kHeight = 180, kChannels = 3 };

static int failures = 0;

static void check(int condition, const char* what)
{
    if (!condition) {
        fprintf(stderr, "FAIL: %s\n", what);
        ++failures;
    }
}

/* Smooth colour gradients with some texture: a picture a codec can do well on. */
static void draw(unsigned char* pixels)
{
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            unsigned char* p = pixels + (y * kWidth + x) * kChannels;
            p[0] = (unsigned char)(x * 255 / kWidth);
            p[1] = (unsigned char)(y * 255 / kHeight);
            p[2] = (unsigned char)(((x / 8 + y / 8) % 2) * 64 + 96);
        }
}

static tamr_picture* compress_and_decode(const tamr_picture* picture, int quality, size_t* size)
{
    tamr_settings settings;
    tamr_settings_init(&settings);
    settings.quality = quality;
    tamr_error error;
    void* coded = NULL;
    if (tamr_compress_alloc(picture, &settings, &coded, size, &error) != TAMR_OK) {
        fprintf(stderr, "compress: %s\n", error.message);
        return NULL;
    }
    tamr_picture* decoded = NULL;
    if (tamr_decompress(coded, *size, &decoded, &error) != TAMR_OK)
        fprintf(stderr, "decompress: %s\n", error.message);
    tamr_free(coded);
    return decoded;
}

int main(void)
{
    check(strcmp(tamr_version(), TAMR_VERSION_STRING) == 0, "tamr_version() is TAMR_VERSION_STRING");
    check(tamr_version_number() == TAMR_VERSION_NUMBER, "tamr_version_number() is TAMR_VERSION_NUMBER");

    static unsigned char pixels[kWidth * kHeight * kChannels];
    draw(pixels);
    tamr_error error;
    tamr_picture* picture = NULL;
    if (tamr_picture_from_pixels(pixels, kWidth, kHeight, kChannels, kWidth * kChannels, &picture, &error) != TAMR_OK) {
        fprintf(stderr, "FAIL: from pixels: %s\n", error.message);
        return 1;
    }
    check(tamr_picture_width(picture) == kWidth && tamr_picture_height(picture) == kHeight &&
              tamr_picture_channels(picture) == kChannels,
          "the picture has the size and channels it was made with");

    /* Into the caller's buffer: too small first, which says how much is needed. */
    size_t needed = 0;
    unsigned char small[16];
    check(tamr_compress(picture, NULL, small, sizeof small, &needed, &error) == TAMR_BUFFER_TOO_SMALL &&
              error.status == TAMR_BUFFER_TOO_SMALL,
          "a small buffer is refused");
    unsigned char* buffer = malloc(needed);
    size_t written = 0;
    check(buffer != NULL && tamr_compress(picture, NULL, buffer, needed, &written, &error) == TAMR_OK &&
              written == needed,
          "the COD file fits the length asked for");
    check(written > 6 && memcmp(buffer, "CIS3.0", 6) == 0, "the buffer holds a COD file");

    /* The same file in a new buffer, quality 50 being the default. */
    size_t size = 0;
    tamr_picture* decoded = compress_and_decode(picture, 50, &size);
    check(decoded != NULL && size == written, "compress_alloc makes the same file");
    tamr_figures figures;
    check(decoded != NULL && tamr_compare(picture, decoded, TAMR_METRICS_DEFAULT, &figures, &error) == TAMR_OK,
          "the decoded picture is measured");
    if (decoded != NULL) {
        check(isfinite(figures.psnr) && figures.psnr > 30 && figures.psnr < 60, "a lossy PSNR");
        check(figures.psnr_y > 30 && figures.ssim > 0.5 && figures.ssim < 1 && figures.ms_ssim > 0.5,
              "PSNR-Y and SSIM of a lossy picture");
        check(isnan(figures.butteraugli), "Butteraugli is not measured unless asked for");
        check(figures.largest_difference > 0, "lossy coding changes pixels");
    }
    tamr_picture_free(decoded);
    free(buffer);

    /* Lossless: every pixel comes back. */
    decoded = compress_and_decode(picture, 100, &size);
    static unsigned char back[kWidth * kHeight * kChannels];
    check(decoded != NULL && tamr_picture_pixels(decoded, back, kWidth * kChannels, &error) == TAMR_OK &&
              memcmp(back, pixels, sizeof pixels) == 0,
          "quality 100 gives the pixels back");
    check(decoded != NULL && tamr_compare(picture, decoded, 0, &figures, &error) == TAMR_OK && isinf(figures.psnr) &&
              isnan(figures.ssim),
          "equal pictures: an infinite PSNR, SSIM not asked for");
    tamr_picture_free(decoded);

    /* Failures: codes with a message. */
    tamr_settings raw;
    tamr_settings_init(&raw);
    raw.levels = "five";
    check(tamr_compress(picture, &raw, NULL, 0, &size, &error) == TAMR_INVALID_ARGUMENT &&
              strstr(error.message, "five") != NULL,
          "raw settings that are no numbers are refused, saying which");
    tamr_picture* none = NULL;
    check(tamr_decompress("CIS3.0 but cut short", 20, &none, &error) == TAMR_CORRUPT && none == NULL &&
              error.message[0] != '\0',
          "a damaged COD file is refused with a message");
    check(tamr_open_memory(pixels, 64, NULL, &none, &error) == TAMR_UNSUPPORTED && error.message[0] != '\0',
          "bytes that are no picture are refused with a message");
    check(tamr_open_file("/nonexistent/picture.bmp", &none, &error) == TAMR_CANNOT_READ, "a missing file");

    tamr_picture_free(picture);
    if (failures == 0)
        printf("the C interface round-trips a picture\n");
    return failures == 0 ? 0 : 1;
}
