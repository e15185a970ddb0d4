#include "protocol/ServerEndpoint.h"

// The build passes the address; a build without it talks to the vendor.
#ifndef GSD_DOWNLOAD_SERVER_URL
#define GSD_DOWNLOAD_SERVER_URL "https://download.quilstudios.example/autodownload.asp"
#endif

#ifndef GSD_DOWNLOAD_REDIRECT_HOSTS
#define GSD_DOWNLOAD_REDIRECT_HOSTS ""
#endif

namespace gsd {

std::string_view DownloadServerUrl()
{
    return GSD_DOWNLOAD_SERVER_URL;
}

std::string_view DownloadRedirectHosts()
{
    return GSD_DOWNLOAD_REDIRECT_HOSTS;
}

} // namespace gsd
