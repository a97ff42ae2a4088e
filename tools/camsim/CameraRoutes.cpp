#include "camsim/CameraRoutes.h"

#include "camsim/CameraConnection.h"
#include "camsim/InquiryReplies.h"
#include "camsim/MultipartBodyCheck.h"
#include "camsim/MultipartHeaderCheck.h"
#include "camsim/PackageCheck.h"
#include "camsim/ProgressAnswer.h"
#include "camsim/SimCamera.h"

#include <strings.h>

#include <cmath>
#include <memory>

namespace zka::camsim {

namespace {

constexpr const char* kInquiryPath = "/command/inquiry.cgi";
constexpr const char* kUploadPath = "/command/versionup.cgi";
// The configuration file is named after the family's principal model, whatever model the camera is.
constexpr const char* kConfigurationPath = "/home/l4/zka-qm410.cfg";
constexpr const char* kRestorePath = "/command/all-configuration.cgi";
constexpr const char* kRestorePresetPath = "/command/all-configuration-preset.cgi";
constexpr std::size_t kMaxConfiguration = 16u << 20;

std::string authorizationOf(const RecordedRequest& record)
{
    for (const auto& [name, value] : record.headers)
        if (::strcasecmp(name.c_str(), "Authorization") == 0)
            return value;
    return {};
}

std::string verdictOf(const std::string& headers, const std::string& body, const std::string& file)
{
    if (!headers.empty())
        return headers;
    if (!body.empty())
        return body;
    if (!file.empty())
        return file;
    return "ok";
}

} // namespace

CameraRoutes::CameraRoutes(SimCamera& camera, std::stop_token stop)
    : camera_(camera), stop_(std::move(stop))
{
}

void CameraRoutes::install(httplib::Server& server)
{
    using Request = httplib::Request;
    using Response = httplib::Response;
    // Every method on every path that no route before it took.
    const auto everywhere = [&server](const httplib::Server::Handler& handler) {
        server.Get(".*", handler);
        server.Post(".*", handler);
        server.Put(".*", handler);
        server.Delete(".*", handler);
        server.Patch(".*", handler);
        server.Options(".*", handler);
    };
    if (camera_.setup().notACamera)
        return everywhere([this](const Request& q, Response& r) { otherDevice(q, r); });
    server.Post(kInquiryPath, [this](const Request& q, Response& r) { inquiry(q, r); });
    server.Post(kUploadPath, [this](const Request& q, Response& r, const ContentReader& c) { upload(q, r, c); });
    server.Get(kConfigurationPath, [this](const Request& q, Response& r) { download(q, r); });
    server.Post(kRestorePath, [this](const Request& q, Response& r, const ContentReader& c) { restore(q, r, c); });
    server.Post(kRestorePresetPath, [this](const Request& q, Response& r, const ContentReader& c) { restore(q, r, c); });
    everywhere([this](const Request& q, Response& r) { unknown(q, r); });
}

RecordedRequest CameraRoutes::arrival(const httplib::Request& request, CameraConnection& connection) const
{
    RecordedRequest record;
    record.method = request.method;
    record.path = request.target;
    record.headers = connection.headers();
    record.authorized = camera_.validLogin(authorizationOf(record));
    return record;
}

bool CameraRoutes::recordWhole(const httplib::Request& request, CameraConnection& connection)
{
    RecordedRequest record = arrival(request, connection);
    record.body = request.body;
    record.bodyLength = request.body.size();
    const bool authorized = record.authorized;
    camera_.complete(camera_.record(std::move(record)));
    return authorized;
}

bool CameraRoutes::delayAnswer(CameraConnection& connection) const
{
    return delayAnswer(connection, camera_.setup().slowAnswerSeconds);
}

bool CameraRoutes::delayAnswer(CameraConnection& connection, double seconds) const
{
    if (seconds > 0 && !camera_.clock().sleepFor(Clock::Duration(std::llround(seconds * 1000.0)), stop_)) {
        connection.drop();
        return false;
    }
    return true;
}

void CameraRoutes::stall(CameraConnection& connection) const
{
    connection.waitUntilClientLeaves();
    connection.drop();
}

void CameraRoutes::unauthorized(httplib::Response& response)
{
    response.status = 401;
    response.set_header("WWW-Authenticate", "Basic realm=\"ZKA\"");
    response.set_content("<HTML><HEAD><TITLE>401 Unauthorized</TITLE></HEAD>"
                         "<BODY><H1>401 Unauthorized</H1>Authorization required.</BODY></HTML>\r\n",
                         "text/html");
}

void CameraRoutes::plain(httplib::Response& response, int status, const std::string& text)
{
    response.status = status;
    response.set_content(text, "text/plain");
}

void CameraRoutes::inquiry(const httplib::Request& request, httplib::Response& response)
{
    auto& connection = *CameraConnection::current();
    const bool authorized = recordWhole(request, connection);

    if (camera_.silent() || camera_.hangsInquiries())
        return stall(connection);
    if (!delayAnswer(connection))
        return;
    const CameraSpec& setup = camera_.setup();
    if (request.body == "inq=user" && !delayAnswer(connection, setup.userInquirySeconds))
        return;
    const bool open = setup.systemInquiryOpen && request.body == "inq=system";
    if (!authorized && !open)
        return unauthorized(response);
    if (request.body == "inq=system")
        plain(response, 200, InquiryReplies::system(setup, camera_.version()));
    else if (request.body == "inq=user")
        plain(response, 200, InquiryReplies::user(setup));
    else if (request.body == "inq=network")
        plain(response, 200, InquiryReplies::network(setup));
    else
        plain(response, 400, "Bad Request\r\n");
}

void CameraRoutes::upload(const httplib::Request& request, httplib::Response& response, const ContentReader& reader)
{
    auto& connection = *CameraConnection::current();
    RecordedRequest first = arrival(request, connection);
    const bool authorized = first.authorized;
    const std::size_t index = camera_.record(std::move(first));
    if (camera_.silent()) {
        camera_.complete(index);
        return stall(connection);
    }

    const MultipartHeaderCheck headers(connection.headers());
    PackageCheck package;
    MultipartBodyCheck body(headers.boundary(), "setting_file", "upgrade.bin", headers.contentLength(),
                            [&package](std::string_view piece) { package.feed(piece); });
    const auto finish = [&](const std::string& verdict) {
        camera_.complete(index, [&](RecordedRequest& r) {
            r.bodyLength = body.received();
            r.uploadVerdict = verdict;
            r.uploadHead = body.head();
            r.uploadTail = body.tail();
        });
    };
    const auto progress = [&] {
        return std::to_string(body.received()) + " of " + std::to_string(headers.contentLength()) + " bytes";
    };
    const bool drop = camera_.setup().dropDuringUpload && authorized;
    const bool stalls = camera_.setup().stallDuringUpload && authorized;
    const std::uint64_t dropAt = headers.contentLength() / 2;
    const int rate = authorized ? camera_.setup().uploadBytesPerSecond : 0;
    const bool complete = reader([&](const char* data, std::size_t length) {
        if (rate > 0 && !camera_.clock().sleepFor(Clock::Duration(std::llround(1000.0 * double(length) / rate)), stop_))
            return false;
        body.feed(std::string_view(data, length));
        if (drop && body.received() >= dropAt) {
            finish("dropped by the camera after " + progress()); // recorded before the client can notice
            connection.drop(); // mid-body, without an answer
            return false;
        }
        if (stalls && body.received() >= dropAt) {
            finish("stalled by the camera after " + progress());
            stall(connection); // reads nothing more; the client has to give up
            return false;
        }
        return true;
    });
    if (connection.dropped())
        return;
    if (!complete)
        return finish("the connection ended after " + progress());
    const std::string verdict = verdictOf(headers.problem(), body.finish(), package.finish());
    finish(verdict);
    if (!delayAnswer(connection))
        return;
    if (!authorized)
        return unauthorized(response);
    if (verdict != "ok")
        return plain(response, 400, "Bad Request\r\n");
    if (!camera_.beginFlash())
        return plain(response, 503, "Service Unavailable: an upgrade is in progress\r\n");
    if (camera_.setup().dropAfterUpload) {
        // The client is left without an answer while the camera rewrites its firmware and restarts.
        connection.drop();
        camera_.answerEnded();
        return;
    }

    auto answer = std::make_shared<ProgressAnswer>(camera_.setup(), camera_.clock(), stop_, connection,
                                                   [this] { camera_.answerEnding(); });
    response.status = 200;
    response.set_chunked_content_provider(
        ProgressAnswer::kContentType,
        [answer](std::size_t, httplib::DataSink& sink) { return answer->provide(sink); },
        [this](bool) { camera_.answerEnded(); });
}

void CameraRoutes::download(const httplib::Request& request, httplib::Response& response)
{
    auto& connection = *CameraConnection::current();
    RecordedRequest record = arrival(request, connection);
    const bool authorized = record.authorized;
    camera_.complete(camera_.record(std::move(record)));
    const CameraSpec& setup = camera_.setup();
    if (camera_.silent() || setup.silentConfig)
        return stall(connection);
    if (!delayAnswer(connection))
        return;
    if (!authorized)
        return unauthorized(response);
    response.status = 200;
    if (setup.configTrickleMs > 0)
        return trickle(response, camera_.configuration(), Clock::Duration(setup.configTrickleMs));
    if (setup.emptyConfig)
        response.set_content("", "application/octet-stream");
    else if (setup.htmlInsteadOfConfig)
        response.set_content("<HTML><HEAD><TITLE>Camera</TITLE></HEAD><BODY>Please wait while the camera "
                             "prepares its settings.</BODY></HTML>\r\n",
                             "text/html");
    else
        response.set_content(camera_.configuration(), "application/octet-stream");
}

void CameraRoutes::trickle(httplib::Response& response, std::string file, Clock::Duration pause)
{
    auto content = std::make_shared<const std::string>(std::move(file));
    response.set_content_provider(
        content->size(), "application/octet-stream",
        [this, content, pause](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            return camera_.clock().sleepFor(pause, stop_) && sink.is_writable() && sink.write(content->data() + offset, 1);
        });
}

void CameraRoutes::restore(const httplib::Request& request, httplib::Response& response, const ContentReader& reader)
{
    auto& connection = *CameraConnection::current();
    RecordedRequest first = arrival(request, connection);
    // A restore accepts only the factory-default administrator, whatever the camera's own login is.
    first.authorized = SimCamera::factoryLogin(authorizationOf(first));
    const bool authorized = first.authorized;
    const std::size_t index = camera_.record(std::move(first));
    if (camera_.silent()) {
        camera_.complete(index);
        return stall(connection);
    }

    const MultipartHeaderCheck headers(connection.headers());
    std::string all;
    std::string file;
    MultipartBodyCheck body(headers.boundary(), "Restore", "temp.cfg", headers.contentLength(),
                            [&file](std::string_view piece) { file.append(piece); });
    const bool complete = reader([&](const char* data, std::size_t length) {
        body.feed(std::string_view(data, length));
        if (all.size() + length > kMaxConfiguration)
            return false;
        all.append(data, length);
        return true;
    });
    const std::string verdict = complete ? verdictOf(headers.problem(), body.finish(), {})
                                         : "the connection ended after " + std::to_string(body.received()) + " of "
            + std::to_string(headers.contentLength()) + " bytes";
    camera_.complete(index, [&](RecordedRequest& r) {
        r.body = all;
        r.bodyLength = body.received();
        r.uploadVerdict = verdict;
        r.uploadHead = body.head();
        r.uploadTail = body.tail();
        r.payload = file;
    });
    if (!complete || !delayAnswer(connection))
        return;
    if (!authorized)
        return unauthorized(response);
    if (verdict != "ok")
        return plain(response, 400, "Bad Request\r\n");
    if (!camera_.acceptRestore(file)) {
        connection.drop(); // refused: the body was read, no answer comes
        return;
    }
    plain(response, 200, "Configuration restored.\r\n");
}

void CameraRoutes::otherDevice(const httplib::Request& request, httplib::Response& response)
{
    auto& connection = *CameraConnection::current();
    recordWhole(request, connection);
    if (!delayAnswer(connection))
        return;
    // What a printer or a router might answer: a page, with success, whatever was asked.
    response.status = 200;
    response.set_content("<HTML><HEAD><TITLE>Network printer</TITLE></HEAD><BODY><H1>Status</H1>Ready."
                         "</BODY></HTML>\r\n",
                         "text/html");
}

void CameraRoutes::unknown(const httplib::Request& request, httplib::Response& response)
{
    auto& connection = *CameraConnection::current();
    recordWhole(request, connection);
    if (camera_.silent())
        return stall(connection);
    if (!delayAnswer(connection))
        return;
    plain(response, 404, "Not Found\r\n");
}

} // namespace zka::camsim
