#include "e2e/support/sim_process.h"

#include "serial/session_log.h"
#include "ui/utf8_path.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#ifndef VARNEL_SIM_PATH
#define VARNEL_SIM_PATH "varnel-sim"
#endif

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The simulator's options, without the program and its log.
std::vector<std::string> Arguments(const SimProcess::Options& options, const std::string& marksFile)
{
    std::vector<std::string> args = {"--receiver", options.receiver, "--radio", options.radio};
    if (options.direct) args.push_back("--direct");
    if (options.silent) args.push_back("--silent");
    if (options.com > 0) { args.push_back("--com"); args.push_back(std::to_string(options.com)); }
    if (!marksFile.empty()) { args.push_back("--marks"); args.push_back(marksFile); }
    args.insert(args.end(), options.extraArgs.begin(), options.extraArgs.end());
    return args;
}

}  // namespace

#ifdef _WIN32

// Under wine the simulator is a Linux program: the script running the tests supervises it
// (scripts/lib/wine-sim.sh, sim_supervise) and serves it as COM7..COM9. Requests and answers are
// files in the folder VARNEL_TEST_SIM_CONTROL names.
namespace {

std::string ControlFolder()
{
    const char* c = std::getenv("VARNEL_TEST_SIM_CONTROL");
    return c ? c : "";
}

// Wine's own call: the Linux name of a Windows path, for the simulator's file arguments.
std::string UnixPath(const std::string& windowsPath)
{
    using Fn = char*(__cdecl*)(const wchar_t*);
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    const std::wstring wide = PathFromUtf8(windowsPath).wstring();
    char* unix = fn ? fn(wide.c_str()) : nullptr;
    if (!unix)
        return windowsPath;
    std::string out(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

bool WaitForFile(const std::string& path, int timeoutMs)
{
    for (int ms = 0; ms < timeoutMs; ms += 10) {
        if (std::filesystem::exists(path))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int g_Requests = 0;

}  // namespace

SimProcess::SimProcess(const Options& options)
{
    m_root = ControlFolder();
    if (m_root.empty())
        return;
    const std::string id = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++g_Requests);
    m_id = id;
    m_logPath = m_root + "\\sim-" + id + ".log";
    {
        std::ofstream request(m_root + "\\request.tmp", std::ios::binary);
        // Files the test names (marks, a recording to replay) go by their Linux names.
        for (const std::string& a : Arguments(options, options.marksFile)) {
            const bool path = a.size() > 2 && std::isalpha(static_cast<unsigned char>(a[0])) && a[1] == ':' &&
                              (a[2] == '/' || a[2] == '\\');
            request << (path ? UnixPath(a) : a) << '\n';
        }
    }
    std::filesystem::rename(m_root + "\\request.tmp", m_root + "\\start-" + id);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(m_root + "\\failed-" + id))
            return;
        std::ifstream started(m_root + "\\started-" + id);
        if (started >> m_com >> m_device) {
            m_pid = 1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

SimProcess::~SimProcess() { Stop(); }

bool RunningUnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

bool SimProcess::Running() const { return m_pid > 0 && m_status == -1; }

void SimProcess::Stop()
{
    if (!Running())
        return;
    std::ofstream(m_root + "\\stop-" + m_id).close();
    const std::string answer = m_root + "\\stopped-" + m_id;
    int status = 0;
    if (WaitForFile(answer, 10000))
        std::ifstream(answer) >> status;
    m_status = status;
}

#else

bool RunningUnderWine() { return false; }

SimProcess::SimProcess(const Options& options)
{
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "varnel-simproc-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data()))
        return;
    m_root = buf.data();
    if (options.comDir.empty()) {
        m_comDir = m_root + "/com";
        m_ownComDir = true;
        fs::create_directories(m_comDir);
    } else {
        m_comDir = options.comDir;
    }
    m_logPath = m_root + "/sim.log";
    m_outPath = m_root + "/sim.out";
    setenv("VARNEL_COM_DIR", m_comDir.c_str(), 1);

    std::vector<std::string> args = {VARNEL_SIM_PATH, "--log", m_logPath};
    const std::vector<std::string> rest = Arguments(options, options.marksFile);
    args.insert(args.end(), rest.begin(), rest.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int out = open(m_outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (out < 0)
        return;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out, STDOUT_FILENO);
        int devnull = open("/dev/null", O_RDONLY);
        if (devnull >= 0) dup2(devnull, STDIN_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out);
    if (pid < 0)
        return;
    m_pid = pid;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        std::string text = ReadFile(m_outPath);
        if (auto nl = text.find('\n'); nl != std::string::npos) {
            std::string line = text.substr(0, nl);
            if (line.rfind("COM", 0) == 0) {
                auto space = line.find(' ');
                if (space != std::string::npos) {
                    m_com = std::atoi(line.c_str() + 3);
                    m_device = line.substr(space + 1);
                }
            }
            break;
        }
        if (!Running())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

SimProcess::~SimProcess()
{
    Stop();
    if (!m_root.empty() && getenv("VARNEL_SIM_KEEP")) {
        std::fprintf(stderr, "SimProcess: kept %s (log: %s)\n", m_root.c_str(), m_logPath.c_str());
    } else if (!m_root.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
}

#endif

bool SimProcess::Started() const { return m_pid > 0 && m_com > 0 && !m_device.empty(); }
int SimProcess::ComNumber() const { return m_com; }
std::string SimProcess::DevicePath() const { return m_device; }
std::string SimProcess::ComDir() const { return m_comDir; }
std::string SimProcess::LogPath() const { return m_logPath; }

std::vector<SimProcess::Burst> SimProcess::ReceivedBursts() const
{
    std::vector<Burst> bursts;
    std::istringstream in(ReadFile(m_logPath));
    std::string line;
    while (std::getline(in, line)) {
        // A line still being written has no newline yet and is skipped by eof.
        SSessionLine parsed;
        if (in.eof() || !ParseSessionLine(line, parsed) || parsed.kind != 'R')
            continue;
        bursts.push_back({parsed.ms, std::move(parsed.bytes)});
    }
    return bursts;
}

std::string SimProcess::Received() const
{
    std::string all;
    for (const auto& burst : ReceivedBursts())
        all += burst.bytes;
    return all;
}

bool SimProcess::WaitReceived(const std::string& needle, int timeoutMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (Received().find(needle) != std::string::npos)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

#ifndef _WIN32

bool SimProcess::Running() const
{
    if (m_pid <= 0 || m_status != -1)
        return false;
    int status = 0;
    pid_t r = waitpid(m_pid, &status, WNOHANG);
    if (r == m_pid) {
        m_status = status;
        return false;
    }
    return r == 0;
}

void SimProcess::Stop()
{
    if (!Running())
        return;
    kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        pid_t r = waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid) {
            m_status = status;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(m_pid, SIGKILL);
    if (waitpid(m_pid, &status, 0) == m_pid)
        m_status = status;
}

#endif

int SimProcess::ExitStatus() const { return m_status; }
