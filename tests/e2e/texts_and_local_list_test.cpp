// The interface texts and the "My Computer" list of the real program, started
// in a game folder holding the demo's media files: the language chosen in
// Options.zss, the missing options file, and the empty Media folder. A
// reference server with nothing to offer lets start-up run to its end.

#include "driver/uidriver.h"
#include "tests/support/ReferenceServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace gsd::e2e {
namespace {

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

constexpr int kIntroduction = 1010, kLocalGroup = 1001, kServerGroup = 1002, kDownloadButton = 1003,
              kDescriptionLabel = 1011, kNewsGroup = 1006, kDone = 1, kServerList = 1007, kLocalList = 1008;

// What the demo's Language.mdc and packs say in one interface language.
struct LanguageView {
    const char* name;
    int index;
    std::string caption;
    std::map<int, std::string> controls;
    Row localHeadings;
    Row serverHeadings;
    // Rows of the local list, by media file; "" for the language row and
    // "Program" for the program row.
    std::map<std::string, Row> rows;
};

void PrintTo(const LanguageView& view, std::ostream* os)
{
    *os << view.name;
}

const std::string kAllLanguages = "English, Francais, Portugues, Deutsch, Espanol, Italiano, Russki";

std::vector<LanguageView> Languages()
{
    return {
        { "English", 0, "Rubbleton: Gravelpit Secure Download",
            { { kLocalGroup, "My Computer" }, { kServerGroup, "Quil Studios Server" },
                { kDownloadButton, "<--Download Selections---" }, { kDescriptionLabel, "Description" },
                { kNewsGroup, "News Feature Coming Soon..." }, { kDone, "Done" } },
            { "Type", "Title", "Description", "Author", "Languages", "File Name", "Version" },
            { "Type", "Title", "Description", "Author", "Languages", "File Name", "Note", "Version" },
            { { "Bricks.mdc",
                  { "Object Pack", "Brick Works", "Kilns, drying sheds and twelve kinds of brick for your towns.",
                      "Quil Studios", "English, Francais, Deutsch", "Bricks", "1.0.2" } },
                { "Canals.mdc",
                    { "Object Pack", "Canal Locks",
                        "Locks, towpaths and narrow boats to carry gravel across the hills.", "Mara Lindqvist",
                        "English, Deutsch", "Canals", "1.1.0" } },
                { "Quarry.mdc",
                    { "Object Pack", "Deep Quarry", "Terraced pits, conveyor belts and a crusher that never sleeps.",
                        "Tomas Reyes", "English", "Quarry", "2.0.0" } },
                { "Windmills.mdc",
                    { "Object Pack", "Windmills", "Three mills that grind grain while the wind blows.", "Quil Studios",
                        kAllLanguages, "Windmills", "1.0.0" } },
                { "",
                    { "Language", "Language", "The texts of the game and of this program.", "Quil Studios",
                        "English, Francais, Deutsch", "Language", "1.2.0" } },
                { "Program",
                    { "Game", "Rubbleton: Gravelpit", "The game program itself.", "Quil Studios",
                        "English, Francais, Deutsch", "Rubbleton Gravelpit", "1.0.3" } } } },
        { "Francais", 1,
            "Rubbleton: Gravelpit T\xE9l\xE9"
            "chargement s\xE9"
            "curis\xE9",
            { { kLocalGroup, "Mon ordinateur" }, { kServerGroup, "Serveur Quil Studios" },
                { kDownloadButton,
                    "<--T\xE9l\xE9"
                    "charger la s\xE9lection---" },
                { kDescriptionLabel, "Description" }, { kNewsGroup, "Nouvelles \xE0 venir..." },
                { kDone, "Termin\xE9" } },
            { "Type", "Titre", "Description", "Auteur", "Langues", "Fichier", "Version" },
            { "Type", "Titre", "Description", "Auteur", "Langues", "Fichier", "Remarque", "Version" },
            { { "Bricks.mdc",
                  { "Pack d'objets", "Briqueterie",
                      "Fours, s\xE9"
                      "choirs et douze sortes de briques pour vos villes.",
                      "Quil Studios", "English, Francais, Deutsch", "Bricks", "1.0.2" } },
                { "Canals.mdc",
                    { "Pack d'objets", "Canal Locks",
                        "Locks, towpaths and narrow boats to carry gravel across the hills.", "Mara Lindqvist",
                        "English, Deutsch", "Canals", "1.1.0" } },
                { "Quarry.mdc",
                    { "Pack d'objets", "Deep Quarry", "Terraced pits, conveyor belts and a crusher that never sleeps.",
                        "Tomas Reyes", "English", "Quarry", "2.0.0" } },
                { "Windmills.mdc",
                    { "Pack d'objets", "Moulins \xE0 vent", "Three mills that grind grain while the wind blows.",
                        "Quil Studios", kAllLanguages, "Windmills", "1.0.0" } },
                { "",
                    { "Langue", "Language", "Les textes du jeu et de ce programme.", "Quil Studios",
                        "English, Francais, Deutsch", "Language", "1.2.0" } },
                { "Program",
                    { "Jeu", "Rubbleton: Gravelpit", "Le programme du jeu.", "Quil Studios",
                        "English, Francais, Deutsch", "Rubbleton Gravelpit", "1.0.3" } } } },
        { "Deutsch", 2, "Rubbleton: Gravelpit Sicherer Download",
            { { kLocalGroup, "Mein Computer" }, { kServerGroup, "Server von Quil Studios" },
                { kDownloadButton, "<--Auswahl herunterladen---" }, { kDescriptionLabel, "Beschreibung" },
                { kNewsGroup, "Neuigkeiten folgen bald..." }, { kDone, "Fertig" } },
            { "Art", "Titel", "Beschreibung", "Autor", "Sprachen", "Dateiname", "Version" },
            { "Art", "Titel", "Beschreibung", "Autor", "Sprachen", "Dateiname", "Hinweis", "Version" },
            { { "Bricks.mdc",
                  { "Objektpaket", "Ziegelei",
                      "Brenn\xF6"
                      "fen, Trockenschuppen und zw\xF6lf Ziegelsorten f\xFCr Ihre St\xE4"
                      "dte.",
                      "Quil Studios", "English, Francais, Deutsch", "Bricks", "1.0.2" } },
                { "Canals.mdc",
                    { "Objektpaket", "Kanalschleusen",
                        "Locks, towpaths and narrow boats to carry gravel across the hills.", "Mara Lindqvist",
                        "English, Deutsch", "Canals", "1.1.0" } },
                { "Quarry.mdc",
                    { "Objektpaket", "Deep Quarry", "Terraced pits, conveyor belts and a crusher that never sleeps.",
                        "Tomas Reyes", "English", "Quarry", "2.0.0" } },
                { "Windmills.mdc",
                    { "Objektpaket", "Windm\xFChlen", "Three mills that grind grain while the wind blows.",
                        "Quil Studios", kAllLanguages, "Windmills", "1.0.0" } },
                { "",
                    { "Sprache", "Language", "Die Texte des Spiels und dieses Programms.", "Quil Studios",
                        "English, Francais, Deutsch", "Language", "1.2.0" } },
                { "Program",
                    { "Spiel", "Rubbleton: Gravelpit", "Das Programm des Spiels.", "Quil Studios",
                        "English, Francais, Deutsch", "Rubbleton Gravelpit", "1.0.3" } } } },
    };
}

// Top to bottom: the packs in reverse search order, the language row, the
// program row.
Rows ExpectedLocalRows(const LanguageView& view, const std::vector<std::string>& searchOrder)
{
    Rows rows;
    for (auto name = searchOrder.rbegin(); name != searchOrder.rend(); ++name) {
        if (view.rows.count(*name))
            rows.push_back(view.rows.at(*name));
    }
    rows.push_back(view.rows.at(""));
    rows.push_back(view.rows.at("Program"));
    return rows;
}

// A server that offers nothing, whatever the installation reports.
test::ReferenceServerOptions NothingOffered()
{
    test::ReferenceServerOptions options;
    options.faults = { "list:reply=" };
    return options;
}

// Whether a window is the main dialog: it holds both lists.
bool IsMainDialog(HWND window)
{
    return Control(window, kLocalList) && Control(window, kServerList);
}

class InterfaceLanguageTest : public ::testing::TestWithParam<LanguageView> { };

TEST_P(InterfaceLanguageTest, DialogShowsTheChosenLanguageAndTheLocalCatalogue)
{
    const LanguageView& view = GetParam();
    test::ReferenceServer server(NothingOffered());
    ASSERT_TRUE(server.Start()) << server.Error();
    GameFolder game;
    CopyDemoMedia(game);
    const char index[4] = { static_cast<char>(view.index), 0, 0, 0 };
    game.Write("Options.zss", std::string(index, 4));
    ProgramRun run(game);

    HWND dialog = WaitForWindow(run.Pid(), view.caption);
    ASSERT_NE(dialog, nullptr) << "no main dialog titled " << view.caption;
    for (const auto& [id, text] : view.controls) {
        EXPECT_EQ(ControlText(dialog, id), text) << "control " << id;
    }
    EXPECT_EQ(ListHeadings(Control(dialog, kLocalList)), view.localHeadings);
    EXPECT_EQ(ListHeadings(Control(dialog, kServerList)), view.serverHeadings);
    EXPECT_EQ(ListRows(Control(dialog, kLocalList)), ExpectedLocalRows(view, MediaSearchOrder(game)));
    EXPECT_FALSE(FindMessageBox(run.Pid(), milliseconds(0))) << "start-up reported a problem";

    Close(dialog);
    EXPECT_TRUE(run.WaitForExit());
    EXPECT_EQ(game.Read("Options.zss"), std::string(index, 4)) << "the options file is only read";
}

INSTANTIATE_TEST_SUITE_P(Languages, InterfaceLanguageTest, ::testing::ValuesIn(Languages()),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OptionsFileTest, MissingOptionsFileIsCreatedEmptyAndTheFirstLanguageUsed)
{
    test::ReferenceServer server(NothingOffered());
    ASSERT_TRUE(server.Start()) << server.Error();
    GameFolder game;
    CopyDemoMedia(game);
    ASSERT_FALSE(game.Exists("Options.zss"));
    ProgramRun run(game);

    HWND dialog = WaitForWindow(run.Pid(), "Rubbleton: Gravelpit Secure Download");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, kDone), "Done");
    ASSERT_TRUE(game.Exists("Options.zss"));
    EXPECT_EQ(game.Read("Options.zss"), "");

    Close(dialog);
    EXPECT_TRUE(run.WaitForExit());
}

TEST(EmptyMediaFolderTest, SaysThereAreNoPacksAndTheDialogStillOpens)
{
    test::ReferenceServer server(NothingOffered());
    ASSERT_TRUE(server.Start()) << server.Error();
    GameFolder game;
    ProgramRun run(game);

    // The packs are counted twice at start-up, for the report sent with the
    // download-list request and for the local list, and each count says so.
    for (int count = 1; count <= 2; ++count) {
        const auto box = FindMessageBox(run.Pid());
        ASSERT_TRUE(box) << "no message about the missing packs, count " << count;
        EXPECT_EQ(box->caption, "Error!");
        EXPECT_EQ(box->text, "There should be object packs but there are none!");
        EXPECT_EQ(box->ButtonIds(), std::vector<int> { IDOK });
        ASSERT_TRUE(Press(*box, IDOK));
    }

    HWND dialog = WaitForWindow(run.Pid(), IsMainDialog);
    ASSERT_NE(dialog, nullptr) << "the dialog did not open";
    // Without Language.mdc every text is empty: the two fixed rows remain,
    // with no kind name, no languages and empty version parts.
    EXPECT_EQ(ListRows(Control(dialog, kLocalList)),
        (Rows { { "", "Language", "", "Quil Studios", "N/A", "Language", ".." },
            { "", "Rubbleton: Gravelpit", "", "Quil Studios", "N/A", "Rubbleton Gravelpit", ".." } }));
    EXPECT_FALSE(FindMessageBox(run.Pid(), milliseconds(0))) << "no further message";

    Close(dialog);
    EXPECT_TRUE(run.WaitForExit());
}

} // namespace
} // namespace gsd::e2e
