// Everything the download button's work talks to, faked on the exchange
// rig's one journal, with a small installation for the "My Computer" list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/MediaSet.h"
#include "download/DownloadServices.h"
#include "fakes/ExchangeRig.h"
#include "fakes/FakeGameFiles.h"
#include "fakes/FakeInstallerSignatures.h"
#include "fakes/FakeMediaEngine.h"
#include "fakes/FakeMediaFolder.h"
#include "fakes/FakeOptionsFile.h"
#include "fakes/FakeProcesses.h"
#include "fakes/FakeRecordStore.h"

namespace gsd::testing {

// On-download texts whose fields around a download name themselves; fields
// 2 to 6 are the kind names of the lists.
inline constexpr std::string_view RigOnDownloadTexts
    = "Nothing here|Nothing to fetch|Program|Language file|Object pack|Upgrade|Unknown|confirm?|upgrade first?|"
      "upgrade declined|nothing selected|item failed|all processed|some failed|start the game?|receiving|received|"
      "not listed: ";

struct DownloadRig : ExchangeRig {
    FakeGameFiles files { journal };
    FakeProcesses processes { journal };
    FakeInstallerSignatures signatures { journal, files };
    std::vector<std::string> publisherKeys { PublisherKey };
    FakeRunningGame game { journal };
    FakeRecordStore records;
    FakeMediaEngine engine { journal };
    FakeMediaFolder mediaFolder;
    FakeOptionsFile options;
    MainDialogState state { {}, std::string(RigInfoAndErrorTexts), std::string(RigOnDownloadTexts) };

    DownloadRig() { AddVersionAndLanguage(engine); }

    DownloadServices Services()
    {
        return DownloadServices { ExchangeRig::Services(), files, processes, signatures, publisherKeys, game, records,
            engine, mediaFolder, options, state };
    }

    // Puts `lines` in the download list and one server-list row per line,
    // its file name in column 5.
    void Offer(const std::vector<std::string>& lines)
    {
        for (const std::string& line : lines) {
            state.DownloadListText += line + "\r\n";
            const std::string name = line.substr(line.find('|', line.find('|') + 1) + 1);
            window.serverList.rows.push_back(
                { "kind", "title", "description", "", "", name.substr(0, name.find('|')) });
        }
    }

    // The journal lines that start with one of `prefixes`, in order.
    std::vector<std::string> Lines(const std::vector<std::string>& prefixes) const
    {
        std::vector<std::string> kept;
        for (const std::string& line : journal) {
            for (const std::string& prefix : prefixes) {
                if (line.starts_with(prefix)) {
                    kept.push_back(line);
                    break;
                }
            }
        }
        return kept;
    }
};

} // namespace gsd::testing
