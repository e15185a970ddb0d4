#include "dll/MediaReader.h"

#include "dll/TestHooks.h"

#include <cstring>

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

} // namespace

void MediaReader::Release()
{
    trace("Release");
    delete this;
}

void MediaReader::Begin()
{
    trace("Begin");
    current_.reset();
    language_.clear();
    text_.clear();
}

int MediaReader::OpenMediaFile(const char* fileName)
{
    try {
        trace("OpenMediaFile " + orEmpty(fileName));
        current_.reset();
        if (!isBareFileName(fileName)) {
            return 1;
        }
        std::unique_ptr<mdc::FileSource> source = mdc::FileSource::open(std::string(".\\Media\\") + fileName);
        if (!source) {
            return 2;
        }
        current_ = mdc::MdcReader::open(std::move(source));
        return current_ ? 0 : 3;
    } catch (...) {
        current_.reset();
        return 4;
    }
}

const char* MediaReader::ReadResourceText(const char* name, const char* type, const char* format)
{
    try {
        trace("ReadResourceText " + orEmpty(name));
        text_.clear();
        if (!current_ || name == nullptr || type == nullptr || format == nullptr || std::strcmp(format, "txt") != 0) {
            return nullptr;
        }
        std::optional<std::string> text = current_->readText(type, name, language_);
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
