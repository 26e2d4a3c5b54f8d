#include "platform/net/CurlHttpClient.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace bm::platform {

namespace {

using Clock = std::chrono::steady_clock;

void InitialiseOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
    std::string body;
    size_t limit = 0;
    bool truncated = false;
    const std::atomic<bool>* cancel = nullptr;
};

size_t OnData(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    const size_t room = t->limit - t->body.size();
    if (bytes > room) {
        // Keep what fits and end the transfer: the rest is never fetched.
        t->body.append(data, room);
        t->truncated = true;
        return 0;
    }
    t->body.append(data, bytes);
    return bytes;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* t = static_cast<Transfer*>(user);
    return t->cancel->load(std::memory_order_relaxed) ? 1 : 0;
}

struct Location {
    std::string scheme;
    std::string host;
    std::string port;
};

bool ParseLocation(const std::string& url, Location& out)
{
    CURLU* handle = curl_url();
    if (!handle)
        return false;
    bool ok = curl_url_set(handle, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK;
    auto part = [&](CURLUPart which, std::string& into) {
        char* text = nullptr;
        if (curl_url_get(handle, which, &text, CURLU_DEFAULT_PORT) == CURLUE_OK && text) {
            into = text;
            curl_free(text);
            return true;
        }
        return false;
    };
    ok = ok && part(CURLUPART_SCHEME, out.scheme) && part(CURLUPART_HOST, out.host);
    if (ok)
        part(CURLUPART_PORT, out.port);
    curl_url_cleanup(handle);
    return ok;
}

struct EasyDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

} // namespace

HttpResponse CurlHttpClient::Get(const HttpRequest& request, const std::atomic<bool>& cancel)
{
    InitialiseOnce();
    HttpResponse response;
    Location origin;
    if (!ParseLocation(request.url, origin) || (origin.scheme != "http" && origin.scheme != "https")) {
        response.error = "not an http address: " + request.url;
        return response;
    }
    std::unique_ptr<curl_slist, ListDeleter> headers;
    if (request.noCache) {
        curl_slist* list = curl_slist_append(nullptr, "Cache-Control: no-cache");
        list = list ? curl_slist_append(list, "Pragma: no-cache") : nullptr;
        headers.reset(list);
    }
    const Clock::time_point deadline = Clock::now() + request.timeout;
    std::string url = request.url;
    for (int hop = 0;; ++hop) {
        std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
        if (!easy) {
            response.error = "cannot start a transfer";
            return response;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            response.timedOut = true;
            response.error = "timed out";
            return response;
        }
        Transfer transfer;
        transfer.limit = request.maxBodyBytes;
        transfer.cancel = &cancel;
        CURL* c = easy.get();
        curl_easy_setopt(c, CURLOPT_URL, url.c_str());
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(c, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
        curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(left.count()));
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(left.count()));
        if (!request.userAgent.empty())
            curl_easy_setopt(c, CURLOPT_USERAGENT, request.userAgent.c_str());
        if (headers)
            curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnData);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
        curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
        const CURLcode result = curl_easy_perform(c);
        long status = 0;
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
        response.status = status;
        response.answered = status > 0;
        response.body = std::move(transfer.body);
        response.truncated = transfer.truncated;
        response.timedOut = result == CURLE_OPERATION_TIMEDOUT;
        if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && transfer.truncated))
            response.error = curl_easy_strerror(result);
        if (result != CURLE_OK || status < 300 || status >= 400)
            return response;

        // A redirect: follow it only when it stays on the same host, port
        // and scheme, so that the program reaches no address but its own.
        char* target = nullptr;
        curl_easy_getinfo(c, CURLINFO_REDIRECT_URL, &target);
        Location next;
        if (!target || !ParseLocation(target, next) || next.scheme != origin.scheme || next.host != origin.host ||
            next.port != origin.port) {
            response = HttpResponse{};
            response.error = "redirect to another host not followed";
            return response;
        }
        if (hop >= request.maxRedirects) {
            response = HttpResponse{};
            response.error = "too many redirects";
            return response;
        }
        url = target;
    }
}

} // namespace bm::platform
