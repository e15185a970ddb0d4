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
        { "https://h.example:4443/a.asp", "HtTpS://m.example/b", "HtTpS://m.example/b" },
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

} // namespace
} // namespace gsd
