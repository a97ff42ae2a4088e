#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>
#include <vector>

namespace zka {

// Initialises libcurl once per process; throws std::runtime_error when it cannot be.
void initialiseCurl();

// Owners of libcurl's handles, each freed by the library's own clean-up call.
struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct MultiDeleter {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;

// A header list of these lines, in their order; null when it cannot be made.
HeaderList makeHeaderList(const std::vector<std::string>& lines);
// The URL http://host:port/path ("/" put before a path without one); null when it cannot be made.
UrlHandle makeHttpUrl(const std::string& host, long port, const std::string& path);

// Keeps the easy handle attached to the multi handle for the duration of one transfer and detaches
// it before either is cleaned up.
class Attachment final {
public:
    Attachment(CURLM* multi, CURL* easy);
    ~Attachment();
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;
    bool ok() const { return ok_; }

private:
    CURLM* multi_;
    CURL* easy_;
    bool ok_;
};

} // namespace zka
