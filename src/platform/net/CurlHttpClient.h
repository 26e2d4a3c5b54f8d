#pragma once

// HttpClient on libcurl's easy interface: one blocking transfer on the
// calling thread, so the news check needs no event loop of its own. Signals
// are not used (safe on any thread); proxies from the environment apply,
// except to loopback addresses, which are always reached directly.

#include "platform/HttpClient.h"

namespace bm::platform {

class CurlHttpClient : public HttpClient {
public:
    HttpResponse Get(const HttpRequest& request, const std::atomic<bool>& cancel) override;
};

} // namespace bm::platform
