#include "image/PictureReadResult.h"

namespace tamr {

Status StatusOf(const PictureReadResult& result)
{
    switch (result.failureKind) {
    case PictureFailure::None:
        return {};
    case PictureFailure::Unsupported:
        return FailureKind::Unsupported;
    case PictureFailure::Damaged:
        return FailureKind::Corrupt;
    case PictureFailure::Truncated:
        return FailureKind::Truncated;
    case PictureFailure::TooLarge:
        return FailureKind::TooLarge;
    case PictureFailure::OverDecodeLimit:
        return Status::OverDecodeLimit();
    case PictureFailure::OutOfMemory:
        return FailureKind::OutOfMemory;
    }
    return FailureKind::Corrupt;
}

PictureFailure PictureFailureOf(Status status)
{
    if (status)
        return PictureFailure::None;
    if (status.IsOverDecodeLimit())
        return PictureFailure::OverDecodeLimit;
    switch (status.Failure()) {
    case FailureKind::Truncated:
        return PictureFailure::Truncated;
    case FailureKind::TooLarge:
        return PictureFailure::TooLarge;
    case FailureKind::OutOfMemory:
        return PictureFailure::OutOfMemory;
    case FailureKind::Unsupported:
        return PictureFailure::Unsupported;
    case FailureKind::Corrupt:
        break;
    }
    return PictureFailure::Damaged;
}

} // namespace tamr
