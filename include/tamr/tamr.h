/* The C interface of libtamr: open pictures, compress them into COD files,
 * decode COD files and measure how far a decoded picture is from its
 * original. Every function reports failure as a status code, with a message
 * in the caller's tamr_error when one is given; nothing of C++ crosses it.
 * Objects may be used from several threads, each object by one at a time. */
#ifndef TAMR_TAMR_H
#define TAMR_TAMR_H

#include <stddef.h>
#include <stdint.h>
#include <tamr/tamr_version.h>

#if defined(__GNUC__)
#define TAMR_API __attribute__((visibility("default")))
#else
#define TAMR_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The version of the library in use, "MAJOR.MINOR" as TAMR_VERSION_STRING,
 * and as TAMR_VERSION_NUMBER. */
TAMR_API const char* tamr_version(void);
TAMR_API unsigned tamr_version_number(void);

typedef enum tamr_status {
    TAMR_OK = 0,
    TAMR_INVALID_ARGUMENT = 1, /* a null pointer, a size or a setting out of range */
    TAMR_CANNOT_READ = 2,      /* the file cannot be read */
    TAMR_UNSUPPORTED = 3,      /* not a picture tamr opens */
    TAMR_CORRUPT = 4,          /* damaged or cut short */
    TAMR_TOO_LARGE = 5,        /* beyond the decode limit */
    TAMR_OUT_OF_MEMORY = 6,
    TAMR_BUFFER_TOO_SMALL = 7, /* the caller's buffer cannot hold the result */
    TAMR_FAILED = 8,           /* compressing or measuring failed */
    TAMR_UNAVAILABLE = 9       /* not in this build (Butteraugli without libjxl) */
} tamr_status;

/* Where a function says what went wrong; may be passed as NULL. */
typedef struct tamr_error {
    tamr_status status;
    char message[256]; /* UTF-8, NUL-terminated; empty after success */
} tamr_error;

/* A short text for each status ("corrupt data"). */
TAMR_API const char* tamr_status_text(tamr_status status);

/* A picture: gray (1 channel) or colour (3 channels, red, green, blue). */
typedef struct tamr_picture tamr_picture;

/* Opens any picture tamr opens (COD files are decoded), recognised by its
 * content. `name` (may be NULL) is the file name the bytes came from; only
 * TGA files, which have no signature, need it. */
TAMR_API tamr_status tamr_open_file(const char* path, tamr_picture** picture, tamr_error* error);
TAMR_API tamr_status tamr_open_memory(const void* bytes, size_t size, const char* name, tamr_picture** picture,
                                      tamr_error* error);
/* A picture of width x height pixels of `channels` bytes (1 gray, 3 red,
 * green, blue), rows from the top, each `stride` bytes apart. */
TAMR_API tamr_status tamr_picture_from_pixels(const void* pixels, uint32_t width, uint32_t height, uint32_t channels,
                                              size_t stride, tamr_picture** picture, tamr_error* error);
TAMR_API void tamr_picture_free(tamr_picture* picture);

TAMR_API uint32_t tamr_picture_width(const tamr_picture* picture);
TAMR_API uint32_t tamr_picture_height(const tamr_picture* picture);
TAMR_API uint32_t tamr_picture_channels(const tamr_picture* picture);
/* Copies the pixels out in the layout tamr_picture_from_pixels takes; the
 * buffer holds height rows of `stride` >= width x channels bytes. */
TAMR_API tamr_status tamr_picture_pixels(const tamr_picture* picture, void* pixels, size_t stride, tamr_error* error);

/* How to compress: a quality factor, optionally refined by raw settings
 * given as text exactly as tamr-cli's options of the same names take them
 * (NULL keeps what the quality factor gives). */
typedef struct tamr_settings {
    int quality;           /* 0 (smallest) to 100 (lossless); 50 by default */
    const char* levels;    /* --levels: total wavelet levels */
    const char* quant_a;   /* --quant-a: quantize vector of component A */
    const char* quant_b;   /* --quant-b */
    const char* quant_c;   /* --quant-c */
    const char* threshold; /* --threshold: threshold vector */
    const char* discard;   /* --discard: levels to discard for A,B,C */
    const char* sample;    /* --sample: levels to sample for A,B,C */
    int threads;           /* 0: one per processor; never changes a byte */
} tamr_settings;

/* Quality 50, no raw settings, one thread per processor. */
TAMR_API void tamr_settings_init(tamr_settings* settings);

/* Compresses into the caller's buffer: the COD file's length goes to *size.
 * When `capacity` is too small nothing is written, TAMR_BUFFER_TOO_SMALL
 * is returned and *size is the length needed. NULL settings: the defaults. */
TAMR_API tamr_status tamr_compress(const tamr_picture* picture, const tamr_settings* settings, void* buffer,
                                   size_t capacity, size_t* size, tamr_error* error);
/* The same into a new buffer, which the caller gives back with tamr_free. */
TAMR_API tamr_status tamr_compress_alloc(const tamr_picture* picture, const tamr_settings* settings, void** bytes,
                                         size_t* size, tamr_error* error);
TAMR_API void tamr_free(void* bytes);

/* Decodes a COD file; other kinds of picture are refused as unsupported. */
TAMR_API tamr_status tamr_decompress(const void* bytes, size_t size, tamr_picture** picture, tamr_error* error);

/* The figures beyond PSNR, PSNR-Y and the mean squared error to measure. */
enum {
    TAMR_METRIC_SSIM = 1,
    TAMR_METRIC_MS_SSIM = 2,
    TAMR_METRIC_BUTTERAUGLI = 4, /* seconds per megapixel; needs libjxl */
    TAMR_METRICS_DEFAULT = TAMR_METRIC_SSIM | TAMR_METRIC_MS_SSIM
};

/* How far `decoded` is from `original`, as tamr-cli compare reports it.
 * A PSNR is INFINITY for equal pictures; a figure not measured (not asked
 * for, or the picture is too small for it) is NAN. */
typedef struct tamr_figures {
    double mse;             /* as the Statistics dialog computes it */
    double psnr;            /* as the Statistics dialog */
    double psnr_rgb;        /* of the mean squared error over all samples pooled */
    double psnr_y;          /* of luma Y = 0.299 R + 0.587 G + 0.114 B */
    double ssim;            /* 11 x 11 Gaussian window, at least 11 x 11 pixels */
    double ms_ssim;         /* at least 176 x 176 pixels */
    double butteraugli;     /* the 3-norm */
    double butteraugli_max; /* the largest distance */
    int largest_difference;
} tamr_figures;

/* The pictures must have the same size and channels. */
TAMR_API tamr_status tamr_compare(const tamr_picture* original, const tamr_picture* decoded, unsigned metrics,
                                  tamr_figures* figures, tamr_error* error);

#ifdef __cplusplus
}
#endif

#endif
