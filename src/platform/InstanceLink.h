#pragma once

// The link between copies of the program that one user starts from one
// program folder. The copy that holds the archive file locked is the running
// copy and listens; a later copy connects, waits for the running copy's
// answer and hands over its start song as a CopyDataRecord, then ends.
// The Qt layer implements it with a local socket (platform/qt).

#include "platform/CopyDataRecord.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace bm::platform {

// How long a second copy waits for the running copy before it gives up.
constexpr std::chrono::milliseconds kHandshakeTimeout{4000};

class InstanceLink {
public:
    using Receiver = std::function<void(const CopyDataRecord&)>;

    virtual ~InstanceLink() = default;

    // Second copy, main thread: hands `record` to the running copy. Returns
    // true when it was handed over, false when no running copy answered
    // within `timeout`.
    virtual bool SendToRunningCopy(const CopyDataRecord& record, std::chrono::milliseconds timeout) = 0;

    // Running copy, main thread: from now until StopListening(), each record
    // that a later copy sends is given to `receiver` on the thread that runs
    // the event loop. False when listening could not start.
    virtual bool Listen(Receiver receiver) = 0;
    virtual void StopListening() = 0;
};

// The name under which the running copy listens: one per program folder and
// user, so copies installed in different folders, and different users, never
// meet. Made of printable characters only; short enough for a socket path.
std::string InstanceSocketName(std::string_view programFolder, uint32_t userId);
// The same for the user running this process.
std::string InstanceSocketName(std::string_view programFolder);

} // namespace bm::platform
