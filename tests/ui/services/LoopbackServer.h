#pragma once

// A small HTTP server on 127.0.0.1 for the news check tests. Each accepted
// connection's request head is kept; the handler writes the answer.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace bm::test {

class LoopbackServer {
public:
    // Called on the server thread with the connection's socket and the
    // request head (up to the blank line). `stopping` turns true when the
    // server is being shut down.
    using Handler = std::function<void(int socket, const std::string& request, const std::atomic<bool>& stopping)>;

    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();

    int Port() const { return m_port; }
    std::string Url(const std::string& path = "/news.txt") const;
    std::vector<std::string> Requests() const;

    // Writes all of `bytes`; false when the peer went away.
    static bool Send(int socket, const std::string& bytes);
    // "HTTP/1.1 <status>" with a length and the body.
    static std::string Answer(int status, const std::string& body, const std::string& extraHeaders = {});

private:
    void Serve();

    Handler m_handler;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

// A port on 127.0.0.1 where nothing listens (connections are refused).
int RefusingPort();

} // namespace bm::test
