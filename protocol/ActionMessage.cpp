#include "protocol/ActionMessage.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "protocol/Account.h"
#include "protocol/FieldList.h"
#include "protocol/MessageScrambler.h"

namespace gsd {
namespace {

// Appends one part to a message; a part holding "|" adds several fields.
void AppendPart(std::string& message, std::string_view part)
{
    message.append(FieldSeparator);
    message.append(part);
}

} // namespace

std::string BuildBaseFields(std::string_view account)
{
    std::string fields;
    fields = SetField(fields, 0, "1", FieldSeparator);
    fields = SetField(fields, 1, "0", FieldSeparator);
    fields = SetField(fields, 2, "0000", FieldSeparator);
    fields = SetField(fields, 3, "2", FieldSeparator);
    fields = SetField(fields, 4, account, FieldSeparator);
    return fields;
}

std::string BuildBaseFields()
{
    return BuildBaseFields(DownloadAccount());
}

std::string BuildAuthenticationMessage(std::string_view scrambledChallenge)
{
    std::string message = BuildBaseFields();
    AppendPart(message, scrambledChallenge);
    return message;
}

std::string BuildDownloadListMessage(
    std::string_view versionReport, std::string_view languageReport, int languageIndex, std::string_view packReport)
{
    std::string message = BuildBaseFields();
    AppendPart(message, versionReport);
    AppendPart(message, languageReport);
    AppendPart(message, std::to_string(languageIndex));
    AppendPart(message, packReport);
    return message;
}

std::string BuildFileRequestMessage(std::string_view downloadItemLine)
{
    // Version1, Version2, Version3, Languages, Title, Kind.
    static constexpr std::array<int, 6> CopiedFields = { 6, 7, 8, 9, 1, 0 };
    const std::vector<std::string_view> item = SplitFields(downloadItemLine, FieldSeparator);
    std::string message = BuildBaseFields();
    for (const int index : CopiedFields) {
        const auto position = static_cast<std::size_t>(index);
        AppendPart(message, position < item.size() ? item[position] : std::string_view());
    }
    return message;
}

std::optional<AuthenticationPayload> BuildAuthenticationPayload(ChallengeGenerator& generator)
{
    AuthenticationPayload payload;
    payload.challenge = generator.MakeChallenge();
    const std::string scrambled = Scramble(payload.challenge);
    if (scrambled == payload.challenge) {
        return std::nullopt;
    }
    payload.message = BuildAuthenticationMessage(scrambled);
    return payload;
}

std::optional<AuthenticationPayload> BuildAuthenticationPayload()
{
    return BuildAuthenticationPayload(ProcessChallengeGenerator());
}

} // namespace gsd
