// A file written under a temporary name in the folder of its target, which
// takes the target's name only once it is complete: a failed or stopped
// write leaves no partial file, and a file already there stays as it was
// until then. A target that exists and is no regular file (a device node)
// is written in place.
#pragma once

#include "sxStreamEx/StreamEx.h"

#include <string>

namespace zelvane {

class TTargetFileStream : public THandleStreamEx {
public:
    // Throws StreamError when the file cannot be created.
    explicit TTargetFileStream(const std::string &Target);
    // Closes and removes the temporary file unless it was committed.
    ~TTargetFileStream() override;
    TTargetFileStream(const TTargetFileStream &) = delete;
    TTargetFileStream &operator=(const TTargetFileStream &) = delete;

    // Closes the file and gives it the target's name; false when either
    // fails, and the temporary file is then removed.
    bool Commit();

private:
    std::string target_;
    std::string temporary_;  // empty when the target is written in place
};

} // namespace zelvane
