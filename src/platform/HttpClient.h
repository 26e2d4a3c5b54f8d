#pragma once

// One blocking HTTP GET, as the news check makes it on its own thread. The
// implementation in platform/net uses libcurl; tests use it against a server
// on 127.0.0.1 or script the answer.
//
//     HttpRequest request;
//     request.url = "http://127.0.0.1:8080/news.txt";
//     HttpResponse response = client.Get(request, cancel);
//     if (response.status == 200) ... response.body ...

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

namespace bm::platform {

struct HttpRequest {
    std::string url;              // "http://host[:port]/path" (or https)
    std::string userAgent;
    bool noCache = true;          // ask every cache on the way to go to the server
    // The whole exchange, from connecting to the last byte, must end within
    // this; a slower answer is cut off where it is.
    std::chrono::milliseconds timeout{15000};
    // The body is read only up to this many bytes; the rest is not fetched.
    size_t maxBodyBytes = 64 * 1024;
    // Redirects are followed only to the same host (and at most this often).
    int maxRedirects = 5;
};

struct HttpResponse {
    // False when no complete status line arrived (refused, unknown host,
    // time-out before the answer began, a redirect to another host).
    bool answered = false;
    long status = 0;
    // What arrived of the body, at most maxBodyBytes; after a time-out or a
    // broken connection, whatever came before it.
    std::string body;
    bool truncated = false;  // the body was longer than maxBodyBytes
    bool timedOut = false;
    std::string error;       // why the exchange did not complete, for logs
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    // Blocks until the answer is complete, the time-out passes, or `cancel`
    // becomes true (checked often). Any thread.
    virtual HttpResponse Get(const HttpRequest& request, const std::atomic<bool>& cancel) = 0;
};

// Whether the machine is on a network, as far as it can tell.
enum class Reachability { Online, Offline, Unknown };

class NetworkState {
public:
    virtual ~NetworkState() = default;
    virtual Reachability Check() = 0;
};

// Online when an interface other than loopback is up and running with an
// address, Offline when none is, Unknown when the interfaces cannot be
// listed.
class SystemNetworkState : public NetworkState {
public:
    Reachability Check() override;
};

} // namespace bm::platform
