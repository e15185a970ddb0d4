#include "mdc/MdcFormat.h"

namespace mdc {

const char* checkKey(const ResourceKey& key)
{
    if (key.type.empty() || key.type.size() > kMaxTypeBytes) {
        return "the type must be 1 to 255 bytes long";
    }
    if (key.name.empty() || key.name.size() > kMaxNameBytes) {
        return "the name must be 1 to 65535 bytes long";
    }
    if (key.language.size() > kMaxLanguageBytes) {
        return "the language must be at most 255 bytes long";
    }
    // Callers pass keys as C strings; a key with a NUL could never be asked for.
    for (const std::string* part : { &key.type, &key.name, &key.language }) {
        if (part->find('\0') != std::string::npos) {
            return "type, name and language must not contain NUL bytes";
        }
    }
    return nullptr;
}

} // namespace mdc
