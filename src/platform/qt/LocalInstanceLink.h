#pragma once

// The link between copies of the program over a local socket (QLocalServer /
// QLocalSocket) whose name comes from the program folder and the user, so it
// is private to one user and one installation.
//
// Running copy: Listen() accepts connections, answers each with the respond
// word, reads one CopyDataRecord, closes the connection and hands the record
// to the receiver on the event-loop thread. Second copy:
// SendToRunningCopy() connects (again and again while the running copy is
// still starting and not listening yet), waits for the answer, sends the
// record and returns; no event loop is needed for it.

#include "platform/InstanceLink.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace bm::platform {

class LocalInstanceLink : public InstanceLink {
public:
    // `socketName` as InstanceSocketName() makes it.
    explicit LocalInstanceLink(std::string socketName);
    ~LocalInstanceLink() override;
    LocalInstanceLink(const LocalInstanceLink&) = delete;
    LocalInstanceLink& operator=(const LocalInstanceLink&) = delete;

    bool SendToRunningCopy(const CopyDataRecord& record, std::chrono::milliseconds timeout) override;
    bool Listen(Receiver receiver) override;
    void StopListening() override;

    const std::string& SocketName() const { return m_name; }

private:
    void AcceptPending();
    void ReadFrom(QLocalSocket* socket);

    std::string m_name;
    std::unique_ptr<QLocalServer> m_server;
    Receiver m_receiver;
    // Bytes received so far on each open connection.
    std::map<QLocalSocket*, std::vector<uint8_t>> m_pending;
};

} // namespace bm::platform
