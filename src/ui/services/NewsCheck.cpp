#include "ui/services/NewsCheck.h"

#include "ui/services/ServiceAddresses.h"

namespace bm::services {

namespace {

// Length of the UTF-8 sequence that starts with `lead`; 0 when it cannot
// start one.
size_t SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

bool IsText(std::string_view body)
{
    for (size_t i = 0; i < body.size();) {
        const auto c = static_cast<unsigned char>(body[i]);
        if (c < 0x80) {
            if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F)
                return false;
            ++i;
            continue;
        }
        const size_t n = SequenceLength(c);
        if (n == 0 || i + n > body.size())
            return false;
        for (size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(body[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += n;
    }
    return true;
}

// Drops an incomplete multi-byte character at the end of a cut body.
std::string_view WithoutCutCharacter(std::string_view body)
{
    const size_t lookBack = std::min<size_t>(body.size(), 3);
    for (size_t back = 1; back <= lookBack; ++back) {
        const auto c = static_cast<unsigned char>(body[body.size() - back]);
        if ((c & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for its lead
        const size_t n = SequenceLength(c);
        if (n > back)
            body.remove_suffix(back);
        break;
    }
    return body;
}

} // namespace

std::string NewsTextOfBody(std::string_view body)
{
    if (!IsText(body))
        return {};
    std::string text;
    size_t start = 0;
    while (start < body.size()) {
        size_t end = body.find('\n', start);
        const size_t next = end == std::string_view::npos ? body.size() : end + 1;
        if (end == std::string_view::npos)
            end = body.size();
        std::string_view line = body.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        text.append(line);
        text += '\n';
        start = next;
    }
    return text;
}

NewsCheck::NewsCheck(platform::HttpClient& http, platform::NetworkState& network, platform::MessagePort& port,
                     NewsSettings settings)
    : m_http(http), m_network(network), m_port(port), m_settings(std::move(settings))
{
}

NewsCheck::~NewsCheck()
{
    m_cancel = true;
    if (m_thread.joinable())
        m_thread.join();
}

bool NewsCheck::Start()
{
    if (m_running.load())
        return false;
    if (m_thread.joinable())
        m_thread.join();
    m_running = true;
    m_thread = std::thread([this] {
        Check();
        m_running = false;
    });
    return true;
}

void NewsCheck::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

std::string NewsCheck::Text() const
{
    std::lock_guard lock(m_mutex);
    return m_text;
}

void NewsCheck::SetText(std::string text)
{
    std::lock_guard lock(m_mutex);
    m_text = std::move(text);
}

int NewsCheck::Check()
{
    SetText({});
    // A build without a news address never contacts anyone, not even a
    // name server.
    if (IsUnsetAddress(m_settings.address))
        return 0;
    if (m_network.Check() == platform::Reachability::Offline)
        return 0;

    platform::HttpRequest request;
    request.url = m_settings.address;
    request.userAgent = kNewsUserAgent;
    request.noCache = true;
    request.timeout = m_settings.timeout;
    request.maxBodyBytes = m_settings.maxBytes;
    const platform::HttpResponse response = m_http.Get(request, m_cancel);

    // Whatever arrived before a failure counts; an answer other than 200
    // leaves the text empty, and the message goes out in every case.
    std::string text;
    if (response.answered && response.status == 200) {
        std::string_view body = response.body;
        if (response.truncated || response.timedOut || !response.error.empty())
            body = WithoutCutCharacter(body);
        text = NewsTextOfBody(body);
    }
    SetText(std::move(text));
    platform::Message message;
    message.number = platform::msg::kNewsDone;
    m_port.Post(std::move(message));
    return 1;
}

} // namespace bm::services
