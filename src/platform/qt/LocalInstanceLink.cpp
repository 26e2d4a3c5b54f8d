#include "platform/qt/LocalInstanceLink.h"

#include "core/Binary.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <thread>

namespace bm::platform {

namespace {

using Clock = std::chrono::steady_clock;

// Pause between attempts to reach a running copy that does not listen yet.
constexpr std::chrono::milliseconds kRetryPause{100};
// A connection that has not delivered its record by then is dropped.
constexpr int kConnectionLimitMs = 10000;

// Milliseconds left until `deadline`, at least 0, as Qt's wait calls take them.
int MillisecondsLeft(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(std::min<int64_t>(left, 1 << 30)) : 0;
}

enum class Attempt { Delivered, Retry, Refused };

// One connection to the running copy: wait for its answer, then send.
Attempt TryDeliver(const QString& name, const std::vector<uint8_t>& bytes, Clock::time_point deadline)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    int left = MillisecondsLeft(deadline);
    if (left == 0 || !socket.waitForConnected(left))
        return Attempt::Retry;

    QByteArray answer;
    while (answer.size() < 4) {
        if (socket.bytesAvailable() == 0) {
            left = MillisecondsLeft(deadline);
            if (left == 0 || !socket.waitForReadyRead(left))
                return Attempt::Retry;
        }
        answer += socket.read(4 - answer.size());
    }
    if (ReadLE32(reinterpret_cast<const uint8_t*>(answer.constData())) != kRespondWord)
        return Attempt::Refused; // something else listens under our name

    if (socket.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) < 0)
        return Attempt::Retry;
    while (socket.bytesToWrite() > 0) {
        left = MillisecondsLeft(deadline);
        if (left == 0 || !socket.waitForBytesWritten(left))
            return Attempt::Retry;
    }
    // The running copy reads what was sent even after this end has closed.
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(std::max(1, MillisecondsLeft(deadline)));
    return Attempt::Delivered;
}

} // namespace

LocalInstanceLink::LocalInstanceLink(std::string socketName) : m_name(std::move(socketName)) {}

LocalInstanceLink::~LocalInstanceLink() { StopListening(); }

bool LocalInstanceLink::SendToRunningCopy(const CopyDataRecord& record, std::chrono::milliseconds timeout)
{
    const Clock::time_point deadline = Clock::now() + timeout;
    const QString name = QString::fromStdString(m_name);
    const std::vector<uint8_t> bytes = EncodeCopyData(record);
    while (Clock::now() < deadline) {
        switch (TryDeliver(name, bytes, deadline)) {
        case Attempt::Delivered:
            return true;
        case Attempt::Refused:
            return false;
        case Attempt::Retry:
            break;
        }
        // The running copy may still be starting up; it listens once its
        // main window exists.
        auto pause = std::min<Clock::duration>(kRetryPause, deadline - Clock::now());
        if (pause > Clock::duration::zero())
            std::this_thread::sleep_for(pause);
    }
    return false;
}

bool LocalInstanceLink::Listen(Receiver receiver)
{
    StopListening();
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = QString::fromStdString(m_name);
    // Only the copy that holds the archive file listens, so a socket file
    // under this name is one that a crashed copy left behind.
    QLocalServer::removeServer(name);
    if (!server->listen(name))
        return false;
    QObject::connect(server.get(), &QLocalServer::newConnection, server.get(), [this] { AcceptPending(); });
    m_receiver = std::move(receiver);
    m_server = std::move(server);
    return true;
}

void LocalInstanceLink::StopListening()
{
    // The open connections are children of the server and go with it.
    m_server.reset();
    m_pending.clear();
    m_receiver = nullptr;
}

void LocalInstanceLink::AcceptPending()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        m_pending.emplace(socket, std::vector<uint8_t>{});
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { ReadFrom(socket); });
        QObject::connect(socket, &QLocalSocket::disconnected, socket, [this, socket] {
            m_pending.erase(socket);
            socket->deleteLater();
        });
        QTimer::singleShot(kConnectionLimitMs, socket, [socket] { socket->abort(); });
        uint8_t answer[4];
        WriteLE32(answer, kRespondWord);
        socket->write(reinterpret_cast<const char*>(answer), sizeof answer);
        socket->flush();
    }
}

void LocalInstanceLink::ReadFrom(QLocalSocket* socket)
{
    auto found = m_pending.find(socket);
    if (found == m_pending.end())
        return;
    std::vector<uint8_t>& received = found->second;
    const QByteArray chunk = socket->readAll();
    received.insert(received.end(), chunk.begin(), chunk.end());

    CopyDataRecord record;
    size_t consumed = 0;
    switch (DecodeCopyData(received, record, consumed)) {
    case CopyDataDecode::NeedMore:
        return;
    case CopyDataDecode::Invalid:
        m_pending.erase(found);
        socket->abort();
        return;
    case CopyDataDecode::Complete:
        break;
    }
    // One record per connection. Close it before handing the record on: the
    // receiver may run a dialog, and the other copy should not wait for it.
    m_pending.erase(found);
    socket->disconnectFromServer();
    if (Receiver receiver = m_receiver)
        receiver(record);
}

} // namespace bm::platform
