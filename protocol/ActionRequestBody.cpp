#include "protocol/ActionRequestBody.h"

#include "protocol/FormEncode.h"

namespace gsd {

std::string ActionRequestBody(std::string_view kindPrefix, std::string_view payload)
{
    std::string body;
    body.reserve(kindPrefix.size() + payload.size());
    body.append(kindPrefix);
    body.append(payload);
    return body;
}

std::string AuthenticationRequestBody(std::string_view message)
{
    return ActionRequestBody(AuthenticationBodyPrefix, message);
}

std::string DownloadListRequestBody(std::string_view message)
{
    return ActionRequestBody(DownloadListBodyPrefix, FormEncode(message));
}

std::string FileRequestBody(std::string_view message)
{
    return ActionRequestBody(FileBodyPrefix, FormEncode(message));
}

} // namespace gsd
