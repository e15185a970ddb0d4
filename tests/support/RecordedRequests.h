// Reading the reference server's request log (one JSON object per line) in
// a test: method, path, headers and the exact body bytes of every request.
// Header-only, portable.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gsd::test {

struct RecordedRequest {
    int seq = 0;
    std::string method; // "GET", "POST"
    std::string path; // "/autodownload.asp"
    std::string kind; // "check" (no body), "auth", "list", "file" or "other"
    std::vector<std::pair<std::string, std::string>> headers; // in the order received
    std::string body; // exactly as received
    int replyStatus = 0; // 0 when the server hung up without a reply

    // The value of the first header called `name` (any case); empty when absent.
    std::string Header(std::string_view name) const
    {
        for (const auto& [key, value] : headers) {
            if (key.size() == name.size() && std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
                    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                }))
                return value;
        }
        return {};
    }
};

namespace request_log_detail {

// Reads the JSON string at text[pos] (an opening quote) into `out`; \uXXXX
// escapes above 0xFF cannot occur in this log (it holds bytes as Latin-1).
inline bool ReadString(std::string_view text, std::size_t& pos, std::string& out)
{
    if (pos >= text.size() || text[pos] != '"')
        return false;
    out.clear();
    for (++pos; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (++pos >= text.size())
            return false;
        switch (text[pos]) {
        case 'n':
            out.push_back('\n');
            break;
        case 'r':
            out.push_back('\r');
            break;
        case 't':
            out.push_back('\t');
            break;
        case 'b':
            out.push_back('\b');
            break;
        case 'f':
            out.push_back('\f');
            break;
        case 'u':
            if (pos + 4 >= text.size())
                return false;
            out.push_back(static_cast<char>(std::strtoul(std::string(text.substr(pos + 1, 4)).c_str(), nullptr, 16)));
            pos += 4;
            break;
        default:
            out.push_back(text[pos]);
            break; // \" \\ \/
        }
    }
    return false;
}

// Position just after `"key": ` in a line, or npos.
inline std::size_t ValueOf(std::string_view line, std::string_view key)
{
    const std::string needle = "\"" + std::string(key) + "\": ";
    const std::size_t at = line.find(needle);
    return at == std::string_view::npos ? at : at + needle.size();
}

inline std::string StringField(std::string_view line, std::string_view key)
{
    std::size_t pos = ValueOf(line, key);
    std::string value;
    if (pos == std::string_view::npos || !ReadString(line, pos, value))
        return {};
    return value;
}

inline int NumberField(std::string_view line, std::string_view key)
{
    const std::size_t pos = ValueOf(line, key);
    return pos == std::string_view::npos ? 0 : std::atoi(std::string(line.substr(pos, 12)).c_str());
}

inline std::string Base64Decode(std::string_view text)
{
    static constexpr std::string_view Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (const char c : text) {
        const std::size_t value = Alphabet.find(c);
        if (value == std::string_view::npos)
            continue; // padding
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<char>((bits >> count) & 0xFF));
        }
    }
    return out;
}

inline std::vector<std::pair<std::string, std::string>> Headers(std::string_view line)
{
    std::vector<std::pair<std::string, std::string>> headers;
    std::size_t pos = ValueOf(line, "headers");
    if (pos == std::string_view::npos || line.substr(pos, 1) != "[")
        return headers;
    ++pos;
    // [["Name", "Value"], ["Name", "Value"]]
    while (pos < line.size() && line[pos] != ']') {
        std::pair<std::string, std::string> header;
        pos = line.find('[', pos);
        if (pos == std::string_view::npos)
            break;
        ++pos;
        if (!ReadString(line, pos, header.first) || line.substr(pos, 2) != ", ")
            break;
        pos += 2;
        if (!ReadString(line, pos, header.second) || line.substr(pos, 1) != "]")
            break;
        ++pos;
        headers.push_back(std::move(header));
        if (line.substr(pos, 2) == ", ")
            pos += 2;
    }
    return headers;
}

} // namespace request_log_detail

// Every request in the log file `path` (a path this program can open), in the
// order received. Missing file: no requests.
inline std::vector<RecordedRequest> ReadRequestLog(const std::string& path)
{
    using namespace request_log_detail;
    std::vector<RecordedRequest> requests;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (in.eof())
            break; // a line still being written
        RecordedRequest request;
        request.seq = NumberField(line, "seq");
        request.method = StringField(line, "method");
        request.path = StringField(line, "path");
        request.kind = StringField(line, "kind");
        request.headers = Headers(line);
        request.body = Base64Decode(StringField(line, "body_b64"));
        request.replyStatus = NumberField(line, "reply_status");
        requests.push_back(std::move(request));
    }
    return requests;
}

} // namespace gsd::test
