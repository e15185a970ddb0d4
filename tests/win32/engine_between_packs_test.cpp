// A reading pass on the window thread: between two packs, a message sent to
// one of its windows from another thread is answered when the pass reads
// through MediaEngineAnsweringBetweenPacks, and left waiting by Game.dll's
// adapter alone, which only talks to the engine.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fakes/FakeMediaEngine.h"
#include "platform/GameDllEngine.h"
#include "platform/Handles.h"
#include "platform/MediaEngineAnsweringBetweenPacks.h"

namespace gsd {
namespace {

std::wstring GameDllBesideTheTests()
{
    wchar_t module[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    return (std::filesystem::path(std::wstring(module, length)).parent_path() / L"Game.dll").wstring();
}

// Waits until a message sent from another thread waits for this thread's
// answer, without answering it; false when none came within five seconds.
bool SentMessageWaits()
{
    for (int waited = 0; waited < 5000; waited += 10) {
        if (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) {
            return true;
        }
        Sleep(10);
    }
    return false;
}

TEST(EngineBetweenPacks, OnlyTheWrapperAnswersAMessageSentBetweenTwoPacks)
{
    struct Case {
        const char* engine;
        bool answering;
        bool answered;
    };
    const std::vector<Case> cases = {
        { "Game.dll through the wrapper", true, true },
        { "Game.dll alone", false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.engine);
        GameDllEngine gameDll(nullptr, GetModuleHandleA(nullptr), GameDllBesideTheTests());
        ASSERT_EQ(gameDll.CreateSystem(), 0) << "Game.dll beside the tests";
        MediaEngineAnsweringBetweenPacks answering(gameDll);
        MediaEngine& engine = c.answering ? static_cast<MediaEngine&>(answering) : gameDll;
        const unique_hwnd window(
            CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
        ASSERT_TRUE(window);
        {
            const std::unique_ptr<MediaReader> reader = engine.CreateReader();
            ASSERT_NE(reader, nullptr);
            reader->OpenMediaFile("Version.mdc");

            bool answered = false;
            std::thread sender([&] {
                DWORD_PTR ignored = 0;
                answered = SendMessageTimeoutA(window.get(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored) != 0;
            });
            const bool waits = SentMessageWaits();
            reader->OpenMediaFile("Language.mdc");
            // The sender gives up after its second at the latest.
            sender.join();

            EXPECT_TRUE(waits);
            EXPECT_EQ(answered, c.answered);
        }
        EXPECT_EQ(gameDll.DestroySystem(), 0);
    }
}

// What the compiler would not catch: a call with a default of its own that
// the wrapper forgot to pass on, and a refused reader.
TEST(EngineBetweenPacks, TheWrapperPassesOnTheReasonAndARefusal)
{
    std::vector<std::string> journal;
    testing::FakeMediaEngine fake(journal);
    fake.unavailableReason = "other bitness";
    fake.refuseReader = true;
    MediaEngineAnsweringBetweenPacks engine(fake);

    EXPECT_EQ(engine.UnavailableReason(), "other bitness");
    EXPECT_EQ(engine.CreateReader(), nullptr);
}

} // namespace
} // namespace gsd
