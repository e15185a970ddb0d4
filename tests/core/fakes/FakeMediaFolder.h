// A Media folder whose directory search returns a fixed list of names.
#pragma once

#include <string>
#include <vector>

#include "ports/MediaFolder.h"

namespace gsd::testing {

class FakeMediaFolder : public MediaFolder {
public:
    std::vector<std::string> names;
    // When set, every search fails with this message.
    std::string problem;
    std::string problemPath;
    int searches = 0;

    MediaListing ListMediaFiles() override
    {
        ++searches;
        if (!problem.empty()) {
            return { {}, problem, problemPath };
        }
        return { names, {}, {} };
    }
};

} // namespace gsd::testing
