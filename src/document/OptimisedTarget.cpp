#include "document/OptimisedTarget.h"

#include <new>

#include "document/TamrDoc.h"
#include "image/OptimisedCompression.h"

namespace tamr {
namespace {

SearchOutcome CodingFailed()
{
    SearchOutcome outcome;
    outcome.failure = SearchFailure::CodingFailed;
    return outcome;
}

} // namespace

SearchOutcome CompressOptimised(CTamrDoc& document, CodecSettings& settings, const SearchGoal& goal,
                                const SearchControl& control)
{
    auto job = document.MakeCompressJob(settings);
    if (!job)
        return CodingFailed();
    OptimisedCompression result;
    try {
        result = CompressOptimised(*job->image, *job->codec, settings, goal, job->display, control);
    } catch (const std::bad_alloc&) {
        return CodingFailed();
    }
    if (result.search.Failed())
        return result.search;
    if (!result.compressed) {
        result.search.failure = SearchFailure::CodingFailed;
        return result.search;
    }
    job->times = result.times;
    job->settings = result.search.settings;
    if (!document.AdoptCompressed(std::move(*job))) {
        result.search.failure = SearchFailure::CodingFailed;
        return result.search;
    }
    const int threads = settings.threads;
    settings = result.search.settings;
    settings.threads = threads;
    return result.search;
}

} // namespace tamr
