#pragma once

// Opens a local file (a help page) or a web address with the desktop's
// handler for it. The Qt layer uses QDesktopServices; tests record the
// requests.

#include <string>
#include <vector>

namespace bm::platform {

class Shell {
public:
    virtual ~Shell() = default;
    // `target` is an absolute path or an address with its scheme
    // ("https://..."). False when nothing could open it.
    virtual bool Open(const std::string& target) = 0;
};

// Keeps every request; answers with `answer`.
class RecordingShell : public Shell {
public:
    bool Open(const std::string& target) override
    {
        opened.push_back(target);
        return answer;
    }
    std::vector<std::string> opened;
    bool answer = true;
};

} // namespace bm::platform
