// The version and the texts of the statuses.

#include "tamr/tamr.h"

extern "C" {

const char* tamr_version(void)
{
    return TAMR_VERSION_STRING;
}

unsigned tamr_version_number(void)
{
    return TAMR_VERSION_NUMBER;
}

const char* tamr_status_text(tamr_status status)
{
    switch (status) {
    case TAMR_OK:
        return "done";
    case TAMR_INVALID_ARGUMENT:
        return "invalid argument";
    case TAMR_CANNOT_READ:
        return "cannot read the file";
    case TAMR_UNSUPPORTED:
        return "not a picture tamr opens";
    case TAMR_CORRUPT:
        return "corrupt data";
    case TAMR_TOO_LARGE:
        return "too large";
    case TAMR_OUT_OF_MEMORY:
        return "out of memory";
    case TAMR_BUFFER_TOO_SMALL:
        return "buffer too small";
    case TAMR_FAILED:
        return "failed";
    case TAMR_UNAVAILABLE:
        return "not available in this build";
    }
    return "unknown status";
}
}
