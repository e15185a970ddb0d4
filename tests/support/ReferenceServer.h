// The reference download server (server/refserver.py) for Windows tests
// under Wine: started as a native Unix process with a content folder and
// faults, switched between faults while it runs, its request log read back,
// and stopped when the object goes (or when the test program dies).
//
//   gsd::test::ReferenceServer server({.catalogue = {"3|Bricks|Bricks|A|D||1|0|0|1"}});
//   ASSERT_TRUE(server.Start()) << server.Error();
//   ... run the program against the build's https://localhost:PORT/autodownload.asp ...
//   ASSERT_TRUE(server.SetFaults({"list:reply=12"})) << server.Error();
//   EXPECT_EQ(server.Requests().back().body, "ACTION_REQUEST=...");
//
// The server's certificate comes from a test CA made once per test run in
// $GSD_WINE_STATE/test-ca, which Start() makes trusted in the run's Wine
// prefix (import_ca.exe beside the test program, once per prefix), and so
// does the demo code-signing CA, without which no signed installer runs.
// Windows-only, header-only.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "RecordedRequests.h"
#include "WineHost.h"

namespace gsd::test {

struct ReferenceServerOptions {
    // Port on 127.0.0.1: by default the one the program is built for (the
    // port of DOWNLOAD_SERVER_URL, given by the gsd_reference_server target);
    // 0 takes a free port (see ReferenceServer::Port()).
    int port = GSD_REFERENCE_SERVER_PORT;
    // A content folder (Windows or Unix path) with catalogue.txt and files/.
    // Empty: the server gets a folder of its own made from the two below.
    std::string contentDir;
    std::vector<std::string> catalogue; // lines of catalogue.txt
    std::vector<std::pair<std::string, std::string>> files; // files/<name> and its bytes
    // Faults active from the start, e.g. "list:reply=12" (server/README.md).
    std::vector<std::string> faults;
    // false: a certificate from a second test CA that is never trusted.
    bool trustedCertificate = true;
    // Further server arguments, e.g. {"--mdctool", HostMdctool()}.
    std::vector<std::string> extraArguments;
};

namespace reference_server_detail {

inline bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

inline bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

// Writes through a temporary file, so a reader never sees half of it.
inline bool ReplaceFile(const std::string& path, const std::string& bytes)
{
    const std::string temporary = path + ".new";
    return WriteWholeFile(temporary, bytes)
        && ::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

inline bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void MakeFolders(const std::string& path)
{
    for (std::size_t at = path.find_first_of("\\/", 3); at != std::string::npos; at = path.find_first_of("\\/", at + 1))
        ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    ::CreateDirectoryA(path.c_str(), nullptr);
}

// Polls `done` every 20 ms until it holds or `timeoutMs` has passed.
template <typename Condition> bool WaitFor(Condition done, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        if (::GetTickCount64() > deadline)
            return false;
        ::Sleep(20);
    }
    return true;
}

inline int NextInstance()
{
    static LONG counter = 0;
    return static_cast<int>(::InterlockedIncrement(&counter));
}

} // namespace reference_server_detail

// Unix folder for the run's shared files: $GSD_WINE_STATE, which wine-run
// sets for every test of a run.
inline std::string TestStateDir()
{
    return EnvironmentOr("GSD_WINE_STATE", "/tmp/gsd-reference-server");
}

// Unix path of the source tree: $GSD_SOURCE_DIR, else where this header was
// compiled from.
inline std::string SourceDir()
{
    std::string header = __FILE__;
    for (char& c : header)
        c = c == '\\' ? '/' : c;
    return EnvironmentOr("GSD_SOURCE_DIR", header.substr(0, header.find_last_of('/')) + "/../..");
}

// Unix path of the build machine's mdctool, which the server needs to pack
// .manifest payloads: $GSD_MDCTOOL, else host/mdctool of this build tree.
inline std::string HostMdctool()
{
    return EnvironmentOr("GSD_MDCTOOL", UnixPath(ProgramFolder()) + "/../host/mdctool");
}

namespace reference_server_detail {

// Makes the CA certificate at `caPath` (a Windows path) trusted in the
// current prefix with import_ca.exe from this program's folder, unless the
// same certificate was imported into this prefix before (the copy kept as
// `marker` in the prefix says so). False, with `error` set, when the import
// failed.
inline bool ImportCaOnce(const std::string& caPath, const std::string& marker, std::string& error)
{
    std::string certificate;
    if (!ReadWholeFile(caPath, certificate)) {
        error = "cannot read " + caPath;
        return false;
    }
    const std::string markerPath = WindowsPath(EnvironmentOr("WINEPREFIX", TestStateDir()) + "/" + marker);
    std::string imported;
    if (ReadWholeFile(markerPath, imported) && imported == certificate)
        return true;
    const std::string tool = ProgramFolder() + "\\import_ca.exe";
    const long exitCode = RunWindowsProgram({ tool, caPath });
    if (exitCode != 0) {
        error = tool + " " + caPath + " failed (exit code " + std::to_string(exitCode) + ")";
        return false;
    }
    WriteWholeFile(markerPath, certificate);
    return true;
}

} // namespace reference_server_detail

// Makes the CA certificate `caUnixPath` trusted in the current prefix with
// import_ca.exe from this program's folder. Does nothing when that
// certificate was imported into this prefix before. False, with `error`
// set, when the import failed.
inline bool TrustTestCa(const std::string& caUnixPath, std::string& error)
{
    return reference_server_detail::ImportCaOnce(WindowsPath(caUnixPath), "gsd-trusted-test-ca.pem", error);
}

// Makes the demo code-signing CA that issued the demo publisher's
// certificate (demo-signing-ca.pem beside this program) a trusted root of
// the current prefix, as a commercial publisher's root is on Windows, so
// that the demo's signed installers may run. Does nothing in a build
// without the demo publisher, or when it was imported before.
inline bool TrustDemoSigningCa(std::string& error)
{
    const std::string ca = ProgramFolder() + "\\demo-signing-ca.pem";
    if (!reference_server_detail::FileExists(ca))
        return true;
    return reference_server_detail::ImportCaOnce(ca, "gsd-trusted-signing-ca.pem", error);
}

class ReferenceServer {
public:
    explicit ReferenceServer(ReferenceServerOptions options = {})
        : options_(std::move(options))
    {
    }
    ~ReferenceServer() { Stop(); }
    ReferenceServer(const ReferenceServer&) = delete;
    ReferenceServer& operator=(const ReferenceServer&) = delete;

    // Starts the server and returns once it serves (or, with a "refuse"
    // fault, once it is up without listening), its certificate trusted
    // unless asked otherwise. False, with Error() set, when it did not come
    // up within 30 s.
    bool Start()
    {
        using namespace reference_server_detail;
        Stop();
        // Wine reuses process ids from one program start to the next: the
        // folder must be new, so a log of an earlier server never shows.
        MakeFolders(WindowsPath(TestStateDir() + "/refserver"));
        do {
            work_ = TestStateDir() + "/refserver/" + std::to_string(::GetCurrentProcessId()) + "-"
                + std::to_string(NextInstance());
        } while (!::CreateDirectoryA(WindowsPath(work_).c_str(), nullptr) && ::GetLastError() == ERROR_ALREADY_EXISTS);
        std::string content = UnixPath(options_.contentDir);
        if (!options_.contentDir.empty() && content.empty()) {
            error_ = "no Unix path for " + options_.contentDir;
            return false;
        }
        if (content.empty() && !WriteOwnContent(content))
            return false;
        generation_ = 0;
        if (!ReplaceFile(WindowsPath(Control()), ControlText(options_.faults))) {
            error_ = "cannot write " + Control();
            return false;
        }
        // The server runs while this file exists; Wine deletes it when the
        // handle closes, also when this program dies.
        lease_ = ::CreateFileA(WindowsPath(work_ + "/lease").c_str(), GENERIC_WRITE,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE,
            nullptr);
        if (lease_ == INVALID_HANDLE_VALUE) {
            error_ = "cannot create the lease file in " + work_;
            return false;
        }
        const std::string tlsDir = TestStateDir() + (options_.trustedCertificate ? "/test-ca" : "/untrusted-ca");
        std::vector<std::string> command = { EnvironmentOr("GSD_PYTHON", "/usr/bin/python3"),
            SourceDir() + "/server/refserver.py", "--port", std::to_string(options_.port), "--tls-dir", tlsDir,
            "--content", content, "--control", Control(), "--log-requests", work_ + "/requests.jsonl", "--ready-file",
            Ready(), "--lease", work_ + "/lease", "--log", work_ + "/server.log", "--max-lifetime", "3600" };
        command.insert(command.end(), options_.extraArguments.begin(), options_.extraArguments.end());
        if (!StartUnixProgram(command)) {
            error_ = "Wine could not start " + command[0] + " (error " + std::to_string(::GetLastError()) + ")";
            Stop();
            return false;
        }
        std::string ready;
        if (!WaitFor([&] { return ReadWholeFile(WindowsPath(Ready()), ready); }, 30000)) {
            error_ = "the reference server did not come up; its log says: " + ServerLog();
            Stop();
            return false;
        }
        const std::size_t port = ready.find("\"port\": ");
        port_ = port == std::string::npos ? 0 : std::atoi(ready.c_str() + port + 8);
        if ((options_.trustedCertificate && !TrustTestCa(tlsDir + "/ca.pem", error_)) || !TrustDemoSigningCa(error_)) {
            Stop();
            return false;
        }
        return true;
    }

    // Stops the server and returns once its port is free again (at most 10 s).
    void Stop()
    {
        if (lease_ == INVALID_HANDLE_VALUE)
            return;
        ::CloseHandle(lease_);
        lease_ = INVALID_HANDLE_VALUE;
        reference_server_detail::WaitFor(
            [&] { return !reference_server_detail::FileExists(WindowsPath(Ready())); }, 10000);
    }

    // Replaces the active faults (empty: none) and returns once the server
    // applies them, a "refuse" included. False, with Error() set, for a fault
    // the server rejects or a server that does not answer within 10 s.
    bool SetFaults(const std::vector<std::string>& faults)
    {
        using namespace reference_server_detail;
        ++generation_;
        const std::string text = ControlText(faults);
        if (!ReplaceFile(WindowsPath(Control()), text)) {
            error_ = "cannot write " + Control();
            return false;
        }
        std::string applied;
        const bool answered = WaitFor(
            [&] {
                return ReadWholeFile(WindowsPath(Control() + ".applied"), applied) && applied.size() > text.size()
                    && applied.compare(applied.size() - text.size(), text.size(), text) == 0;
            },
            10000);
        if (!answered) {
            error_ = "the server did not apply the faults; its log says: " + ServerLog();
            return false;
        }
        if (applied.rfind("ok\n", 0) != 0) {
            error_ = applied.substr(0, applied.find('\n'));
            return false;
        }
        return true;
    }

    // Every request received so far, in order (the bodiless requests that
    // WinINet sends when it opens the URL included).
    std::vector<RecordedRequest> Requests() const { return ReadRequestLog(WindowsPath(work_ + "/requests.jsonl")); }

    int Port() const { return port_; }
    std::string Url() const { return "https://localhost:" + std::to_string(port_) + "/autodownload.asp"; }
    const std::string& Error() const { return error_; }
    // Windows path of the server's own content folder (when it has one), for
    // a test that changes the catalogue or files while the server runs.
    std::string ContentDir() const { return WindowsPath(work_ + "/content"); }

private:
    std::string Control() const { return work_ + "/control"; }
    std::string Ready() const { return work_ + "/ready"; }

    std::string ControlText(const std::vector<std::string>& faults) const
    {
        // The generation line makes every call a change, so times=N counts
        // start again even when the faults are the same as before.
        std::string text = "# generation " + std::to_string(generation_) + "\n";
        for (const std::string& fault : faults)
            text += fault + "\n";
        return text;
    }

    bool WriteOwnContent(std::string& content)
    {
        using namespace reference_server_detail;
        content = work_ + "/content";
        MakeFolders(WindowsPath(content + "/files"));
        std::string catalogue;
        for (const std::string& line : options_.catalogue)
            catalogue += line + "\n";
        bool written = WriteWholeFile(WindowsPath(content + "/catalogue.txt"), catalogue);
        for (const auto& [name, bytes] : options_.files)
            written = WriteWholeFile(WindowsPath(content + "/files/" + name), bytes) && written;
        if (!written)
            error_ = "cannot write the content folder " + content;
        return written;
    }

    std::string ServerLog() const
    {
        std::string log;
        reference_server_detail::ReadWholeFile(WindowsPath(work_ + "/server.log"), log);
        return log.empty() ? "(nothing)" : log;
    }

    ReferenceServerOptions options_;
    std::string work_;
    std::string error_;
    HANDLE lease_ = INVALID_HANDLE_VALUE;
    int port_ = 0;
    int generation_ = 0;
};

} // namespace gsd::test
