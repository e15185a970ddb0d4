// Resource numbers of the payloads the demo's installers carry, shared by
// their resource scripts and their code (plain definitions, so the resource
// compiler reads them too).
#pragma once

// A game version file, Media\Version.mdc.
#define GSD_PAYLOAD_GAME_VERSION 101
// A build of the download client, SecureDownload.exe.
#define GSD_PAYLOAD_CLIENT 102
