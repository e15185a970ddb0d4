#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "protocol/Challenge.h"

namespace gsd {

// An action message is the "|"-separated payload of a server request. It
// starts with five base fields: "1", "0", "0000", "2" and the account field.

// Returns the base fields with the given account: "1|0|0000|2|" + account.
// An empty account leaves the text ending in "|" (five fields, the last one
// empty).
std::string BuildBaseFields(std::string_view account);

// Returns the base fields with the account the program was built with.
std::string BuildBaseFields();

// Host authentication: base fields, then the scrambled challenge (field 5).
std::string BuildAuthenticationMessage(std::string_view scrambledChallenge);

// Download list: base fields, then the version report (fields 5-7), the
// language report (fields 8-11), the interface language index in decimal
// (field 12, "-" in front when negative) and the pack report (field 13 on).
// The reports are "|"-separated texts appended as they stand.
std::string BuildDownloadListMessage(
    std::string_view versionReport, std::string_view languageReport, int languageIndex, std::string_view packReport);

// File request for one download-list line: base fields, then the line's
// fields 6, 7, 8, 9, 1 and 0 (the three version parts, the languages, the
// title, the kind), copied exactly. Missing fields are sent empty.
std::string BuildFileRequestMessage(std::string_view downloadItemLine);

// What host authentication sends and expects back.
struct AuthenticationPayload {
    std::string challenge; // The plain letters the server must echo.
    std::string message; // The action message carrying them scrambled.
};

// Draws a challenge from `generator`, scrambles it and builds the
// authentication message. Returns nullopt when scrambling left the challenge
// unchanged: it would then travel in plain, so nothing may be sent.
std::optional<AuthenticationPayload> BuildAuthenticationPayload(ChallengeGenerator& generator);

// The same, drawing from the process-wide generator.
std::optional<AuthenticationPayload> BuildAuthenticationPayload();

} // namespace gsd
