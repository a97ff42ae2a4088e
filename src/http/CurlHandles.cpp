#include "http/CurlHandles.h"

#include <mutex>
#include <stdexcept>

namespace zka {

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            throw std::runtime_error("libcurl could not be initialised");
    });
}

HeaderList makeHeaderList(const std::vector<std::string>& lines)
{
    curl_slist* list = nullptr;
    for (const auto& line : lines) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (grown == nullptr) {
            curl_slist_free_all(list);
            return nullptr;
        }
        list = grown;
    }
    return HeaderList(list);
}

UrlHandle makeHttpUrl(const std::string& host, long port, const std::string& path)
{
    UrlHandle url(curl_url());
    if (!url)
        return nullptr;
    const std::string portText = std::to_string(port);
    const std::string fullPath = path.empty() || path.front() != '/' ? "/" + path : path;
    if (curl_url_set(url.get(), CURLUPART_SCHEME, "http", 0) != CURLUE_OK
        || curl_url_set(url.get(), CURLUPART_HOST, host.c_str(), 0) != CURLUE_OK
        || curl_url_set(url.get(), CURLUPART_PORT, portText.c_str(), 0) != CURLUE_OK
        || curl_url_set(url.get(), CURLUPART_PATH, fullPath.c_str(), 0) != CURLUE_OK)
        return nullptr;
    return url;
}

Attachment::Attachment(CURLM* multi, CURL* easy)
    : multi_(multi)
    , easy_(easy)
    , ok_(curl_multi_add_handle(multi, easy) == CURLM_OK)
{
}

Attachment::~Attachment()
{
    if (ok_)
        curl_multi_remove_handle(multi_, easy_);
}

} // namespace zka
