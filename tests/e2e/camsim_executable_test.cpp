// zka-camsim as the demo runs it: "ready" once it listens, cameras from the command line and a fleet
// file, exit 0 on SIGTERM, exit 1 when its sockets are taken, exit 2 on a malformed fleet file.
#include "camsim/Fleet.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Child {
    pid_t pid = -1;
    int out = -1; // standard output
    int err = -1; // standard error
};

Child launch(const std::vector<std::string>& arguments)
{
    int out[2];
    int err[2];
    EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
    EXPECT_EQ(::pipe2(err, O_CLOEXEC), 0);
    Child run;
    run.pid = ::fork();
    if (run.pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        std::vector<char*> argv{const_cast<char*>(ZKA_CAMSIM_EXECUTABLE)};
        for (const auto& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    run.out = out[0];
    run.err = err[0];
    return run;
}

// Everything the descriptor delivers until it ends or the time-out passes.
std::string readUntil(int fd, const std::string& wanted, int timeoutMs = 5000)
{
    std::string text;
    while (text.find(wanted) == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            break;
        char buffer[512];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

int exitStatus(const Child& run)
{
    int status = 0;
    ::waitpid(run.pid, &status, 0);
    ::close(run.out);
    ::close(run.err);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

long inquire(const std::string& url)
{
    CURL* curl = curl_easy_init();
    std::string body;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, "inq=system");
    curl_easy_setopt(curl, CURLOPT_USERPWD, "admin:admin");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, +[](char*, size_t, size_t n, void*) { return n; });
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 5000L);
    long status = 0;
    if (curl_easy_perform(curl) == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    return status;
}

std::string writeFile(const std::string& name, const std::string& text)
{
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
}

TEST(CamsimExecutable, ServesTheFleetUntilTerminatedAndReportsWhatStopsIt)
{
    const std::string fleetFile = writeFile("camsim_fleet.txt", "[defaults]\nsoftVersion = 3.10\n"
                                                                "[camera 127.0.0.9]\nwebPort = 8080\n");
    Child demo = launch({"--count", "2", "--fleet", fleetFile, "--time-scale", "0.01", "--log"});
    ASSERT_EQ(readUntil(demo.out, "ready\n"), "ready\n");
    EXPECT_EQ(inquire("http://127.0.0.2/command/inquiry.cgi"), 200);
    EXPECT_EQ(inquire("http://127.0.0.3/command/inquiry.cgi"), 200);
    EXPECT_EQ(inquire("http://127.0.0.9:8080/command/inquiry.cgi"), 200);
    const std::string logged = "127.0.0.9:8080 POST /command/inquiry.cgi";
    EXPECT_NE(readUntil(demo.err, logged).find(logged), std::string::npos) << "the log line never came";

    // A second simulator on the same addresses cannot bind.
    Child second = launch({"--count", "1"});
    const std::string complaint = readUntil(second.err, "\n");
    EXPECT_EQ(exitStatus(second), 1);
    EXPECT_NE(complaint.find("127.0.0.2:80"), std::string::npos) << complaint;

    ::kill(demo.pid, SIGTERM);
    EXPECT_EQ(exitStatus(demo), 0);

    Child malformed = launch({"--fleet", writeFile("camsim_bad.txt", "[camera 127.0.0.9]\nspeed = 3\n")});
    EXPECT_NE(readUntil(malformed.err, "\n").find("camsim_bad.txt:2: unknown key \"speed\""), std::string::npos);
    EXPECT_EQ(exitStatus(malformed), 2);
}

} // namespace
