#include "http/HttpTransfer.h"

#include "http/CurlHandles.h"
#include "runtime/TimeLimit.h"

#include <algorithm>
#include <cctype>

namespace zka {

namespace {

// Real time between two looks at the stop token and the time-outs.
constexpr int kPollStepMs = 10;

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

bool hasHeader(const std::vector<std::string>& lines, std::string_view name)
{
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return startsWithNoCase(line, name) && line.size() > name.size() && line[name.size()] == ':';
    });
}

} // namespace

const char* transferStatusName(TransferStatus status)
{
    switch (status) {
    case TransferStatus::Completed: return "Completed";
    case TransferStatus::ConnectFailed: return "ConnectFailed";
    case TransferStatus::SendFailed: return "SendFailed";
    case TransferStatus::ReceiveTimedOut: return "ReceiveTimedOut";
    case TransferStatus::ReceiveFailed: return "ReceiveFailed";
    case TransferStatus::Stopped: return "Stopped";
    }
    return "?";
}

struct HttpTransfer::Impl {
    const Clock& clock;
    CameraEndpoint endpoint;
    std::string method;
    std::string path;

    std::optional<std::string> accept;
    std::vector<std::string> headers;
    std::string body;
    BodySource source;
    std::uint64_t bodyLength = 0;
    std::size_t maxChunk = 0;
    Clock::Duration receiveTimeout{0};
    ReceiveScope receiveScope = ReceiveScope::WholeAnswer;
    Clock::Duration sendTimeout{0};

    HeaderSink headerSink;
    BodySink bodySink;
    Event requestSentEvent;
    Event headersCompleteEvent;

    // State of one perform(), touched only on the performing thread (curl calls back on it).
    std::uint64_t bodyDelivered = 0;
    std::uint64_t bodySent = 0;
    bool connected = false;
    bool requestSent = false;
    bool headersDone = false;
    bool sourceFailed = false;
    bool handlerFailed = false;
    bool interimResponse = false;
    bool endedByHandler = false;
    Clock::TimePoint lastActivity{};
    Clock::TimePoint lastSendProgress{};
    CURL* currentEasy = nullptr; // the handle of the transfer in progress

    Impl(const Clock& c, CameraEndpoint e, std::string m, std::string p)
        : clock(c), endpoint(std::move(e)), method(std::move(m)), path(std::move(p))
    {
    }

    // Ends the transfer on behalf of a handler: the callbacks refuse any further work.
    void endByHandler() { endedByHandler = true; }

    // An exception of a handler must not unwind through the library's C frames: the transfer ends
    // as a failure instead.
    template <typename Body, typename Result>
    Result guarded(Body&& body, Result onFailure)
    {
        try {
            return body();
        } catch (...) {
            handlerFailed = true;
            return onFailure;
        }
    }

    void markRequestSent()
    {
        if (requestSent)
            return;
        requestSent = true;
        lastActivity = clock.now();
        if (requestSentEvent && !requestSentEvent())
            endByHandler();
    }

    static int prereqCallback(void* user, char*, char*, int, int)
    {
        auto& self = *static_cast<Impl*>(user);
        self.connected = true;
        self.lastSendProgress = self.clock.now();
        return CURL_PREREQFUNC_OK;
    }

    static std::size_t readCallback(char* buffer, std::size_t size, std::size_t count, void* user)
    {
        auto& self = *static_cast<Impl*>(user);
        if (self.endedByHandler || self.handlerFailed)
            return CURL_READFUNC_ABORT;
        return self.guarded([&]() -> std::size_t {
            const std::uint64_t left = self.bodyLength - self.bodyDelivered;
            if (left == 0)
                return 0;
            const std::size_t capacity = std::min<std::uint64_t>({size * count, self.maxChunk, left});
            const std::size_t given = std::min(self.source(buffer, capacity), capacity);
            if (given == 0) {
                // The source ran dry before the announced length: the request cannot be completed.
                self.sourceFailed = true;
                return CURL_READFUNC_ABORT;
            }
            self.bodyDelivered += given;
            return given;
        }, static_cast<std::size_t>(CURL_READFUNC_ABORT));
    }

    static std::size_t headerCallback(char* data, std::size_t size, std::size_t count, void* user)
    {
        auto& self = *static_cast<Impl*>(user);
        const std::size_t length = size * count;
        if (self.endedByHandler || self.handlerFailed)
            return 0;
        return self.guarded([&]() -> std::size_t {
            self.lastActivity = self.clock.now();
            const std::string_view line(data, length);
            if (startsWithNoCase(line, "HTTP/")) {
                // A body that went out whole was sent before its answer began.
                self.followSending();
                if (self.endedByHandler)
                    return std::size_t{0};
                // An interim (1xx) answer is followed by the real one; only the final headers count.
                const auto space = line.find(' ');
                self.interimResponse = space != std::string_view::npos && space + 1 < line.size() && line[space + 1] == '1';
                if (self.interimResponse)
                    return length;
            } else if (self.interimResponse) {
                if (line == "\r\n" || line == "\n")
                    self.interimResponse = false;
                return length;
            }
            if (self.headerSink)
                self.headerSink(line);
            if (line == "\r\n" || line == "\n") {
                self.headersDone = true;
                // An answer may come before the body was fully sent; the request is over all the same.
                self.markRequestSent();
                if (self.endedByHandler)
                    return 0;
                if (self.headersCompleteEvent && !self.headersCompleteEvent()) {
                    self.endByHandler();
                    return 0;
                }
            }
            return length;
        }, std::size_t{0});
    }

    static std::size_t writeCallback(char* data, std::size_t size, std::size_t count, void* user)
    {
        auto& self = *static_cast<Impl*>(user);
        const std::size_t length = size * count;
        if (self.endedByHandler || self.handlerFailed)
            return CURL_WRITEFUNC_ERROR;
        return self.guarded([&]() -> std::size_t {
            self.lastActivity = self.clock.now();
            if (self.bodySink && !self.bodySink(data, length)) {
                self.endByHandler();
                return CURL_WRITEFUNC_ERROR;
            }
            return length;
        }, static_cast<std::size_t>(CURL_WRITEFUNC_ERROR));
    }

    // What went out since the last look: body bytes the library has written to the connection.
    void followSending()
    {
        if (!connected || currentEasy == nullptr)
            return;
        curl_off_t uploaded = 0;
        if (curl_easy_getinfo(currentEasy, CURLINFO_SIZE_UPLOAD_T, &uploaded) == CURLE_OK && uploaded > 0 &&
            static_cast<std::uint64_t>(uploaded) > bodySent) {
            bodySent = static_cast<std::uint64_t>(uploaded);
            lastSendProgress = clock.now();
        }
        if (bodySent >= bodyLength && !endedByHandler && !handlerFailed)
            guarded([&] {
                markRequestSent();
                return 0;
            }, 0);
    }

    HeaderList buildHeaders() const
    {
        std::vector<std::string> lines;
        lines.push_back(accept ? "Accept: " + *accept : std::string("Accept:"));
        lines.insert(lines.end(), headers.begin(), headers.end());
        // Curl leaves out its own header when a header of that name is in the list; a name with
        // nothing after the colon removes the header altogether.
        lines.emplace_back("Expect:");
        if (!hasHeader(headers, "Content-Type"))
            lines.emplace_back("Content-Type:");
        return makeHeaderList(lines);
    }

    bool configure(CURL* easy, CURLU* url, curl_slist* list)
    {
        bool ok = true;
        auto set = [&](CURLoption option, auto value) { ok = ok && curl_easy_setopt(easy, option, value) == CURLE_OK; };
        set(CURLOPT_CURLU, url);
        set(CURLOPT_PROTOCOLS_STR, "http");
        set(CURLOPT_PROXY, ""); // cameras are on the local network: never through a proxy
        set(CURLOPT_NOSIGNAL, 1L);
        set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
        set(CURLOPT_USERAGENT, "ZKA Upgrade Tool");
        set(CURLOPT_HTTPHEADER, list);
        set(CURLOPT_HEADERFUNCTION, &Impl::headerCallback);
        set(CURLOPT_HEADERDATA, static_cast<void*>(this));
        set(CURLOPT_WRITEFUNCTION, &Impl::writeCallback);
        set(CURLOPT_WRITEDATA, static_cast<void*>(this));
        // Called once the connection stands, just before the request goes out.
        set(CURLOPT_PREREQFUNCTION, &Impl::prereqCallback);
        set(CURLOPT_PREREQDATA, static_cast<void*>(this));
        const bool hasBody = source != nullptr;
        if (method == "GET" && !hasBody) {
            set(CURLOPT_HTTPGET, 1L);
        } else {
            set(CURLOPT_POST, 1L);
            set(CURLOPT_READFUNCTION, &Impl::readCallback);
            set(CURLOPT_READDATA, static_cast<void*>(this));
            set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(bodyLength));
            if (method != "POST")
                set(CURLOPT_CUSTOMREQUEST, method.c_str());
        }
        return ok;
    }

    // Where the transfer broke tells what failed: before the request went out, during it, or after.
    TransferStatus failureStatus() const
    {
        if (endedByHandler && !handlerFailed)
            return TransferStatus::Completed;
        if (!connected)
            return TransferStatus::ConnectFailed;
        if (!requestSent || sourceFailed)
            return TransferStatus::SendFailed;
        return TransferStatus::ReceiveFailed;
    }

    // The time-out that has run out at `now`, if any.
    std::optional<TransferStatus> expired(Clock::TimePoint start, Clock::TimePoint now) const
    {
        if (sendTimeout.count() > 0) {
            const Clock::Duration limit = withRealFloor(clock, sendTimeout);
            if (!connected && now - start >= limit)
                return TransferStatus::ConnectFailed;
            if (connected && !requestSent && now - lastSendProgress >= limit)
                return TransferStatus::SendFailed;
        }
        const bool receiving = requestSent && (receiveScope == ReceiveScope::WholeAnswer || !headersDone);
        if (receiving && receiveTimeout.count() > 0 && now - lastActivity >= withRealFloor(clock, receiveTimeout))
            return TransferStatus::ReceiveTimedOut;
        return std::nullopt;
    }

    TransferStatus perform(std::stop_token stop, std::optional<Clock::Duration> overallTimeout)
    {
        const auto start = clock.now();
        bodyDelivered = bodySent = 0;
        connected = requestSent = headersDone = sourceFailed = handlerFailed = interimResponse = endedByHandler = false;
        lastActivity = lastSendProgress = start;
        currentEasy = nullptr;

        initialiseCurl();
        const long port = portNumber(endpoint);
        if (!hasPlainHost(endpoint) || port < 1 || port > 65535)
            return TransferStatus::ConnectFailed;
        const UrlHandle url = makeHttpUrl(endpoint.host, port, path);
        const HeaderList list = buildHeaders();
        const EasyHandle easy(curl_easy_init());
        const MultiHandle multi(curl_multi_init());
        if (!url || !list || !easy || !multi || !configure(easy.get(), url.get(), list.get()))
            return TransferStatus::ConnectFailed;
        currentEasy = easy.get();
        const Attachment attachment(multi.get(), easy.get());
        if (!attachment.ok())
            return TransferStatus::ConnectFailed;
        // A stop request wakes the poll at once instead of at the end of its step.
        const std::stop_callback wake(stop, [&multi] { curl_multi_wakeup(multi.get()); });

        while (true) {
            int running = 0;
            const CURLMcode performed = curl_multi_perform(multi.get(), &running);
            followSending();
            if (performed != CURLM_OK || handlerFailed)
                return failureStatus();
            if (running == 0)
                break;
            if (endedByHandler)
                return TransferStatus::Completed;
            if (stop.stop_requested())
                return TransferStatus::Stopped;
            const auto now = clock.now();
            if (overallTimeout && now - start >= withRealFloor(clock, *overallTimeout))
                return TransferStatus::Stopped;
            if (const auto timedOut = expired(start, now))
                return *timedOut;
            curl_multi_poll(multi.get(), nullptr, 0, kPollStepMs, nullptr);
        }

        int queued = 0;
        CURLcode code = CURLE_OK;
        while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
            if (message->msg == CURLMSG_DONE)
                code = message->data.result;
        }
        if (code == CURLE_OK && !endedByHandler && !sourceFailed && !handlerFailed)
            return TransferStatus::Completed;
        return failureStatus();
    }
};

HttpTransfer::HttpTransfer(const Clock& clock, CameraEndpoint endpoint, std::string method, std::string path)
    : impl_(std::make_unique<Impl>(clock, std::move(endpoint), std::move(method), std::move(path)))
{
}

HttpTransfer::~HttpTransfer() = default;

void HttpTransfer::setAccept(std::string value)
{
    impl_->accept = std::move(value);
}

void HttpTransfer::addHeader(std::string line)
{
    // A line break inside a header would let the text forge further headers or a second request.
    if (const auto cut = line.find_first_of("\r\n"); cut != std::string::npos)
        line.erase(cut);
    impl_->headers.push_back(std::move(line));
}

void HttpTransfer::setBody(std::string body)
{
    impl_->body = std::move(body);
    const std::uint64_t length = impl_->body.size();
    setBodySource(length, std::max<std::size_t>(impl_->body.size(), 1), [impl = impl_.get()](char* buffer, std::size_t capacity) {
        const std::size_t offset = static_cast<std::size_t>(impl->bodyDelivered);
        const std::size_t count = std::min(capacity, impl->body.size() - offset);
        std::copy_n(impl->body.data() + offset, count, buffer);
        return count;
    });
}

void HttpTransfer::setBodySource(std::uint64_t length, std::size_t maxChunk, BodySource source)
{
    impl_->bodyLength = length;
    impl_->maxChunk = std::max<std::size_t>(maxChunk, 1);
    impl_->source = std::move(source);
}

void HttpTransfer::setReceiveTimeout(Clock::Duration nominal, ReceiveScope scope)
{
    impl_->receiveTimeout = nominal;
    impl_->receiveScope = scope;
}

void HttpTransfer::setSendTimeout(Clock::Duration nominal)
{
    impl_->sendTimeout = nominal;
}

void HttpTransfer::onHeader(HeaderSink sink)
{
    impl_->headerSink = std::move(sink);
}

void HttpTransfer::onBody(BodySink sink)
{
    impl_->bodySink = std::move(sink);
}

void HttpTransfer::onRequestSent(Event event)
{
    impl_->requestSentEvent = std::move(event);
}

void HttpTransfer::onHeadersComplete(Event event)
{
    impl_->headersCompleteEvent = std::move(event);
}

TransferStatus HttpTransfer::perform(std::stop_token stop, std::optional<Clock::Duration> overallTimeout)
{
    try {
        return impl_->perform(std::move(stop), overallTimeout);
    } catch (...) {
        // Out of memory, or the library could not start: nothing more can be done for this request.
        return impl_->failureStatus();
    }
}

} // namespace zka
