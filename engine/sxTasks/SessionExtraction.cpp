#include "sxTasks/SessionExtraction.h"

#include "sxCDBC/FileExtraction.h"
#include "sxCDBC/SarnixBurner.h"
#include "sxISOLib/RecordReading.h"
#include "sxTasks/SessionContents.h"

#include <limits>

namespace zelvane {

namespace {

// Extracts the loaded session's root into a folder named like the title.
void extractWholeSession(TSarnixBurner &burner, const ExtractionRequest &request, ExtractionCount &count,
                         const ExtractionHooks &hooks)
{
    const std::string folder = request.folder + "/" + safeDiscName(request.session.title);
    // The session has no date of its own: the folder keeps the time it was made.
    const std::string failure = extractDiscFolder(folder, std::numeric_limits<double>::quiet_NaN());
    if (!failure.empty()) {
        burner.EmitDebug(failure, 4);
        ++count.failures;
        ++count.failedFolders;
        if (hooks.folderFailed)
            hooks.folderFailed(folder);
        return;
    }
    extractDirectoryContents(burner, *burner.FindDirectory("\\"), folder, count, hooks);
}

} // namespace

ExtractionOutcome extractFromSession(TSarnixBurner &burner, const ExtractionRequest &request,
                                     const ExtractionHooks &hooks)
{
    ExtractionOutcome outcome;
    if (!loadSession(burner, request.session.number)) {
        outcome.end = ExtractionEnd::SessionUnread;
        return outcome;
    }
    const bool wholeSession = request.discPath.find_first_not_of("/\\") == std::string::npos;
    if (wholeSession) {
        extractWholeSession(burner, request, outcome.count, hooks);
    } else if (const TFEntry *entry = findEntry(burner, request.discPath)) {
        extractEntry(burner, *entry, request.folder, outcome.count, hooks);
    } else {
        outcome.end = ExtractionEnd::NotFound;
        return outcome;
    }
    if (hooks.stop && hooks.stop->load())
        outcome.end = ExtractionEnd::Stopped;
    return outcome;
}

} // namespace zelvane
