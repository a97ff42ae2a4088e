#include "camera/InquiryReply.h"

namespace zka {

std::optional<std::string> findReplyValue(std::string_view reply, std::string_view key)
{
    const auto at = reply.find(key);
    if (at == std::string_view::npos)
        return std::nullopt;
    const auto start = at + key.size();
    const auto end = reply.find('&', start);
    return std::string(reply.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

std::string replyValue(std::string_view reply, std::string_view key)
{
    return findReplyValue(reply, key).value_or(std::string());
}

bool loginRefused(std::string_view reply)
{
    return reply.find("401 Unauthorized") != std::string_view::npos;
}

std::string readDocType(std::string_view reply)
{
    return replyValue(reply, "DocType=");
}

} // namespace zka
