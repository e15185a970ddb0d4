#include "download/InstalledMediaRecords.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "download/MediaFileName.h"
#include "protocol/DecimalNumber.h"
#include "protocol/FieldList.h"

namespace gsd {
namespace {

constexpr std::string_view MediaExtension = ".mdc";
constexpr std::string_view DamagedMark = "damaged";
constexpr std::size_t DigestHexDigits = 64;

char LowerLetter(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsMediaName(std::string_view name)
{
    if (name.size() <= MediaExtension.size()
        || !SameMediaFileName(name.substr(name.size() - MediaExtension.size()), MediaExtension)) {
        return false;
    }
    return MediaFileNameProblem(name.substr(0, name.size() - MediaExtension.size())).empty();
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = LowerLetter(c);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

std::optional<FileDigest> ParseDigest(std::string_view hex)
{
    if (hex.size() != DigestHexDigits) {
        return std::nullopt;
    }
    FileDigest digest {};
    for (std::size_t i = 0; i < digest.size(); ++i) {
        const int high = HexValue(hex[2 * i]);
        const int low = HexValue(hex[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        digest[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return digest;
}

} // namespace

std::string DigestHex(const FileDigest& digest)
{
    constexpr std::string_view digits = "0123456789abcdef";
    std::string hex;
    for (const std::uint8_t byte : digest) {
        hex.push_back(digits[byte >> 4]);
        hex.push_back(digits[byte & 0xF]);
    }
    return hex;
}

std::string InstalledRecordData(const InstalledRecord& record)
{
    std::string data = std::to_string(record.facts.size) + "|" + std::to_string(record.facts.lastWrite) + "|"
        + DigestHex(record.digest);
    if (record.damaged) {
        data.append("|").append(DamagedMark);
    }
    return data;
}

std::optional<InstalledRecord> ParseInstalledRecord(std::string_view name, std::string_view data)
{
    if (!IsMediaName(name)) {
        return std::nullopt;
    }
    std::vector<std::string_view> fields;
    FieldCursor cursor(data, FieldSeparator);
    for (std::string_view field; fields.size() <= 4 && cursor.Next(field);) {
        fields.push_back(field);
    }
    if (fields.size() < 3 || fields.size() > 4 || (fields.size() == 4 && fields[3] != DamagedMark)) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> size = PlainDecimal(fields[0], MaxRecordedFileSize);
    const std::optional<std::uint64_t> time = PlainDecimal(fields[1], MaxRecordedFileTime);
    const std::optional<FileDigest> digest = ParseDigest(fields[2]);
    if (!size || !time || !digest) {
        return std::nullopt;
    }
    return InstalledRecord { std::string(name), { *size, *time }, *digest, fields.size() == 4 };
}

std::string RecordedFilePath(std::string_view fileName)
{
    return "Media\\" + std::string(fileName);
}

std::vector<InstalledRecord> ReadInstalledRecords(RecordStore& store)
{
    std::vector<InstalledRecord> records;
    const std::unique_ptr<RecordStoreKey> key = store.Open(RecordStore::Access::ReadWrite);
    if (!key) {
        return records;
    }
    std::vector<std::string> bad;
    for (int index = 0;; ++index) {
        const std::optional<StoredValue> value = key->ValueAt(index);
        if (!value) {
            break;
        }
        std::optional<InstalledRecord> record = ParseInstalledRecord(value->name, value->data);
        if (record && records.size() < MaxInstalledRecords) {
            records.push_back(std::move(*record));
        } else {
            bad.push_back(value->name);
        }
    }
    // Deleted after the walk, which the deletions would otherwise shift.
    for (const std::string& name : bad) {
        key->DeleteValue(name);
    }
    return records;
}

bool WriteInstalledRecord(RecordStore& store, const InstalledRecord& record)
{
    const std::unique_ptr<RecordStoreKey> key = store.Open(RecordStore::Access::ReadWrite);
    if (!key) {
        return false;
    }
    std::size_t others = 0;
    for (int index = 0;; ++index) {
        const std::optional<StoredValue> value = key->ValueAt(index);
        if (!value) {
            break;
        }
        if (!SameMediaFileName(value->name, record.fileName)) {
            ++others;
        }
    }
    return others < MaxInstalledRecords && key->SetValue(record.fileName, InstalledRecordData(record));
}

bool RemoveInstalledRecord(RecordStore& store, std::string_view fileName)
{
    const std::unique_ptr<RecordStoreKey> key = store.Open(RecordStore::Access::ReadWrite);
    return key && key->DeleteValue(fileName);
}

std::string RecordNameOfItem(std::string_view itemFileName)
{
    return std::string(itemFileName).append(MediaExtension);
}

bool SameMediaFileName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
        [](char x, char y) { return LowerLetter(x) == LowerLetter(y); });
}

} // namespace gsd
