#pragma once

#include "runtime/Clock.h"

#include <cstddef>
#include <initializer_list>
#include <stop_token>
#include <string>
#include <string_view>

namespace zka {

// The most of an inquiry's reply that is read; a longer answer is cut here.
inline constexpr std::size_t kReplyCapacity = 5120;

// The outcome of one query.
enum QueryStatus : int {
    QueryOk = 0,
    QueryNotOpened = -1, // no request could be made (an address that names no endpoint)
    QueryRefused = -2,   // the camera refused the credential (WWW-Authenticate in the answer)
    QueryFailed = -3,    // not sent (unreachable, refused, stopped) or the reply could not be read
};

// One inquiry: a POST of a short form body to the camera's command interface, authorized with the
// Basic credential. The worker fills reply and result; the caller reads them after it has ended.
struct QueryRequest {
    std::string host;
    std::string port = "80";
    std::string verb = "POST";
    std::string path = "/command/inquiry.cgi";
    std::string body;
    std::string headers; // "Authorization: Basic " + credential, no line end
    std::string reply;   // at most kReplyCapacity bytes
    int result = QueryOk;
};

// The request for body to the camera at addressText ("A.B.C.D" or "A.B.C.D:PORT").
QueryRequest makeQueryRequest(std::string_view addressText, std::string_view credential, std::string body);

// Performs the request on the calling thread until it ends or stop is raised. An answer that carries
// a WWW-Authenticate header reads "401 Unauthorized" whatever its body; otherwise the reply is the
// body, cut at kReplyCapacity bytes.
void queryThread(QueryRequest& request, const Clock& clock, std::stop_token stop);
// The same, ended by whichever of several stops is raised first.
void queryThread(QueryRequest& request, const Clock& clock, std::initializer_list<std::stop_token> stops);

// The reply as text: up to its first zero byte.
std::string replyText(const QueryRequest& request);

} // namespace zka
