#include "dll/MediaReader.h"

#include "dll/TestHooks.h"

#include "mdc/MdcReader.h"

#include <cstring>
#include <optional>

namespace gamedll {
namespace {

std::string orEmpty(const char* s)
{
    return s != nullptr ? std::string(s) : std::string();
}

// A bare file name: the reader resolves it in the Media folder and nowhere
// else.
bool isBareFileName(const char* name)
{
    return name != nullptr && *name != '\0' && std::strpbrk(name, "\\/:") == nullptr;
}

// The pack at `path`, open for as long as the result lives. `status` is 0, or
// 2 when the file cannot be opened and 3 when it is not a readable pack.
std::optional<mdc::MdcReader> openPack(const std::string& path, int& status)
{
    std::unique_ptr<mdc::FileSource> source = mdc::FileSource::open(path);
    if (!source) {
        status = 2;
        return std::nullopt;
    }
    std::optional<mdc::MdcReader> pack = mdc::MdcReader::open(std::move(source));
    status = pack ? 0 : 3;
    return pack;
}

} // namespace

void MediaReader::Release()
{
    trace("Release");
    delete this;
}

void MediaReader::Begin()
{
    trace("Begin");
    currentPath_.clear();
    language_.clear();
    text_.clear();
}

int MediaReader::OpenMediaFile(const char* fileName)
{
    try {
        trace("OpenMediaFile " + orEmpty(fileName));
        currentPath_.clear();
        if (!isBareFileName(fileName)) {
            return 1;
        }
        std::string path = std::string(".\\Media\\") + fileName;
        int status = 0;
        if (openPack(path, status)) {
            currentPath_ = std::move(path);
        }
        return status;
    } catch (...) {
        currentPath_.clear();
        return 4;
    }
}

const char* MediaReader::ReadResourceText(const char* name, const char* type, const char* format)
{
    try {
        trace("ReadResourceText " + orEmpty(name));
        text_.clear();
        if (currentPath_.empty() || name == nullptr || type == nullptr || format == nullptr
            || std::strcmp(format, "txt") != 0) {
            return nullptr;
        }
        int status = 0;
        std::optional<mdc::MdcReader> pack = openPack(currentPath_, status);
        if (!pack) {
            return nullptr;
        }
        std::optional<std::string> text = pack->readText(type, name, language_);
        if (!text) {
            return nullptr;
        }
        text_ = std::move(*text);
        return text_.c_str();
    } catch (...) {
        return nullptr;
    }
}

void MediaReader::EndResourceRead()
{
    trace("EndResourceRead");
    // Give the memory back: a large text should not live on until the next read.
    std::string().swap(text_);
}

void MediaReader::SelectLanguage(const char* languageName)
{
    try {
        trace("SelectLanguage " + orEmpty(languageName));
        language_ = orEmpty(languageName);
    } catch (...) {
        language_.clear();
    }
}

} // namespace gamedll
