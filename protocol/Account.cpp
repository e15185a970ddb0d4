#include "protocol/Account.h"

// The build passes the account as a string literal; a build without it sends
// an empty account field.
#ifndef GSD_DOWNLOAD_ACCOUNT
#define GSD_DOWNLOAD_ACCOUNT ""
#endif

namespace gsd {

std::string_view DownloadAccount()
{
    return GSD_DOWNLOAD_ACCOUNT;
}

} // namespace gsd
