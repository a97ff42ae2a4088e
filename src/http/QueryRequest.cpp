#include "http/QueryRequest.h"

#include "http/HttpTransfer.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <vector>

namespace zka {

namespace {

bool isAuthenticateHeader(std::string_view line)
{
    constexpr std::string_view name = "www-authenticate:";
    if (line.size() < name.size())
        return false;
    return std::equal(name.begin(), name.end(), line.begin(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

} // namespace

QueryRequest makeQueryRequest(std::string_view addressText, std::string_view credential, std::string body)
{
    auto endpoint = splitAddress(addressText);
    QueryRequest request;
    request.host = std::move(endpoint.host);
    request.port = std::move(endpoint.port);
    request.body = std::move(body);
    request.headers = "Authorization: Basic " + std::string(credential);
    return request;
}

namespace {

void performQuery(QueryRequest& request, const Clock& clock, std::stop_token stop)
{
    request.reply.clear();
    request.result = QueryOk;
    const CameraEndpoint endpoint{request.host, request.port};
    const long port = portNumber(endpoint);
    if (request.host.empty() || port < 1 || port > 65535) {
        request.result = QueryNotOpened;
        return;
    }

    HttpTransfer transfer(clock, endpoint, request.verb, request.path);
    transfer.addHeader(request.headers);
    transfer.setBody(request.body);
    bool refused = false;
    transfer.onHeader([&](std::string_view line) { refused = refused || isAuthenticateHeader(line); });
    // A refusal is known from the headers alone: its body is not wanted.
    transfer.onHeadersComplete([&] { return !refused; });
    transfer.onBody([&](const char* data, std::size_t length) {
        const std::size_t room = kReplyCapacity - request.reply.size();
        request.reply.append(data, std::min(room, length));
        return request.reply.size() < kReplyCapacity;
    });
    const TransferStatus status = transfer.perform(stop);

    if (refused) {
        request.reply = "401 Unauthorized";
        request.result = QueryRefused;
    } else if (status == TransferStatus::Completed) {
        request.result = QueryOk;
    } else {
        if (status != TransferStatus::ReceiveFailed)
            request.reply.clear();
        request.result = QueryFailed;
    }
}

// The query runs on a thread of its own: an exception (out of memory) must not end the process,
// it ends the query as failed.
void failQuery(QueryRequest& request) noexcept
{
    request.reply.clear();
    request.result = QueryFailed;
}

} // namespace

void queryThread(QueryRequest& request, const Clock& clock, std::stop_token stop)
{
    try {
        performQuery(request, clock, std::move(stop));
    } catch (...) {
        failQuery(request);
    }
}

void queryThread(QueryRequest& request, const Clock& clock, std::initializer_list<std::stop_token> stops)
{
    try {
        std::stop_source any;
        std::vector<std::unique_ptr<std::stop_callback<std::function<void()>>>> links;
        links.reserve(stops.size());
        for (const auto& stop : stops)
            links.push_back(
                std::make_unique<std::stop_callback<std::function<void()>>>(stop, [&any] { any.request_stop(); }));
        performQuery(request, clock, any.get_token());
    } catch (...) {
        failQuery(request);
    }
}

std::string replyText(const QueryRequest& request)
{
    return request.reply.substr(0, request.reply.find('\0'));
}

} // namespace zka
