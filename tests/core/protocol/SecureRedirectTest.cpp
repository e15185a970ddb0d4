#include "protocol/SecureRedirect.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace gsd {
namespace {

TEST(SecureRedirectTest, OnlyHttpsTargetsAreFollowed)
{
    struct Case {
        const char* current;
        const char* location;
        std::optional<std::string> target;
    };
    const std::vector<Case> cases = {
        { "https://h.example:4443/a.asp", "https://m.example/b", "https://m.example/b" },
        { "https://h.example:4443/a.asp", "HtTpS://m.example/b", "https://m.example/b" },
        { "https://h.example:4443/a.asp", "/other?x=1", "https://h.example:4443/other?x=1" },
        { "https://h.example", "/other", "https://h.example/other" },
        { "https://h.example/a", "//cdn.example/b", "https://cdn.example/b" },
        { "https://h.example/a", "http://h.example/a", std::nullopt },
        { "https://h.example/a", "HTTP://h.example/a", std::nullopt },
        { "https://h.example/a", "ftp://h.example/a", std::nullopt },
        { "https://h.example/a", "https:/h.example", std::nullopt },
        { "https://h.example/a", "https://", std::nullopt },
        { "https://h.example/a", "//", std::nullopt },
        { "https://h.example/a", "b.asp", std::nullopt },
        { "https://h.example/a", "", std::nullopt },
        { "https://h.example/a", "https://m.example/a b", std::nullopt },
        { "https://h.example/a", "https://m.example/\tb", std::nullopt },
        { "https://h.example/a", "/a\x7F", std::nullopt },
        { "http://h.example/a", "/b", std::nullopt },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.current) + " -> " + c.location);
        EXPECT_EQ(SecureRedirectTarget(c.current, c.location), c.target);
    }
}

TEST(SecureRedirectTest, TheAddressFollowedIsWrittenAnewFromItsParts)
{
    struct Case {
        const char* location;
        std::optional<std::string> target;
    };
    const std::vector<Case> cases = {
        // Where readers differ on where the authority ends.
        { "https://good.example?@evil.example/", "https://good.example/?%40evil.example/" },
        { "https://good.example#@evil.example/", "https://good.example/" },
        { "https://good.example/a#@evil.example/", "https://good.example/a" },
        { "//good.example?@evil.example", "https://good.example/?%40evil.example" },
        { "https://good.example/p@q?r@s", "https://good.example/p%40q?r%40s" },
        { "https://good.example\\@evil.example/", std::nullopt },
        { "https://user@good.example/", std::nullopt },
        { "https://good.example@evil.example/", std::nullopt },
        { "https://[::1]/", std::nullopt },
        { "https://go%6Fd.example/", std::nullopt },
        // Host, port, path and query as they are written out.
        { "https://GOOD.Example:0443/A?B=C", "https://good.example/A?B=C" },
        { "https://good.example:4443", "https://good.example:4443/" },
        { "https://good.example:65535/", "https://good.example:65535/" },
        { "https://good.example:65536/", std::nullopt },
        { "https://good.example:0/", std::nullopt },
        { "https://good.example:/", std::nullopt },
        { "https://good.example:44:3/", std::nullopt },
        { "/p%zz?q=%41%4", "https://h.example:4443/p%25zz?q=%41%254" },
        { "/a\\b?c\\d", "https://h.example:4443/a%5Cb?c%5Cd" },
        { "/caf\xC3\xA9", "https://h.example:4443/caf%C3%A9" },
        { "/a?b?c&d=e/f", "https://h.example:4443/a?b?c&d=e/f" },
        { "/a?", "https://h.example:4443/a?" },
        { "/-._~!$&'()*+,;=:", "https://h.example:4443/-._~!$&'()*+,;=:" },
        { "/a\"b<c>", "https://h.example:4443/a%22b%3Cc%3E" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.location);
        EXPECT_EQ(SecureRedirectTarget("https://h.example:4443/x.asp?old=1", c.location), c.target);
    }
}

} // namespace
} // namespace gsd
