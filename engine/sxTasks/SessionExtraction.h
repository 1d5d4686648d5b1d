// Copying a file, a folder or a whole session of the disc into a local
// folder, the way both front ends do it: the session is imported again for
// each extraction (entries of an earlier import are never used), a session
// becomes a folder named like its title, a folder keeps its name, and
// every file is written whole or not at all.
#pragma once

#include "sxCDBC/EntryExtraction.h"
#include "sxTasks/DiscSessions.h"

#include <string>

namespace zelvane {

class TSarnixBurner;

struct ExtractionRequest {
    DiscSession session;
    std::string discPath;  // "/docs/a.txt"; empty: the whole session
    std::string folder;    // existing local folder to extract into
};

enum class ExtractionEnd {
    Done,            // everything was tried; see the count for failures
    Stopped,         // the stop flag ended it early
    SessionUnread,   // the session could not be imported again
    NotFound,        // the session holds nothing at the path
};

struct ExtractionOutcome {
    ExtractionEnd end = ExtractionEnd::Done;
    ExtractionCount count;
};

ExtractionOutcome extractFromSession(TSarnixBurner &burner, const ExtractionRequest &request,
                                     const ExtractionHooks &hooks);

} // namespace zelvane
