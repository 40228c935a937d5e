#include "codec/CodecSettings.h"

#include "codec/QualityFactor.h"

namespace tamr {

CodecSettings::CodecSettings()
{
    ApplyQualityFactor(*this);
}

} // namespace tamr
