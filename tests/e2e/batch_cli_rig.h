#pragma once

// What the tests of "zka-upgrade-cli batch" share: the command run in a child process in a folder of
// its own (the test's backup root), a simulated fleet that counts uploads and system inquiries, and
// readers of the command's output.

#include "procedure_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zka::test {

inline std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
    std::chrono::steady_clock::duration elapsed{};
};

// The command line run in a child process with its output in files of a folder of its own.
class CliProcess final {
public:
    CliProcess(const std::string& folder, const std::string& arguments, const std::string& command = "batch")
        : out_(folder + "/out.txt")
        , err_(folder + "/err.txt")
        , started_(std::chrono::steady_clock::now())
    {
        pid_ = ::fork();
        if (pid_ == 0) {
            const std::string shell = "cd '" + folder + "' && exec '" + ZKA_CLI_PATH + "' " + command + " " + arguments
                                      + " >'" + out_ + "' 2>'" + err_ + "'";
            ::execl("/bin/sh", "sh", "-c", shell.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    void signal(int number) const { ::kill(pid_, number); }
    CliResult wait() const
    {
        CliResult result;
        int status = 0;
        ::waitpid(pid_, &status, 0);
        result.elapsed = std::chrono::steady_clock::now() - started_;
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = fileText(out_);
        result.err = fileText(err_);
        return result;
    }

private:
    std::string out_;
    std::string err_;
    std::chrono::steady_clock::time_point started_;
    pid_t pid_ = -1;
};

inline std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The lines after "Upgrade log:".
inline std::vector<std::string> logOf(const std::string& out)
{
    const auto lines = linesOf(out);
    const auto start = std::find(lines.begin(), lines.end(), "Upgrade log:");
    return start == lines.end() ? std::vector<std::string>{} : std::vector<std::string>(start + 1, lines.end());
}

class BatchCommandTest : public testing::Test {
protected:
    // Starts the fleet; every upload the cameras have taken in is counted.
    void startFleet(std::vector<camsim::CameraSpec> cameras)
    {
        fleet_ = std::make_unique<camsim::Fleet>(std::move(cameras), 0.01);
        fleet_->setRequestLog([this](const camsim::CameraSpec& camera, const camsim::RecordedRequest& request) {
            std::lock_guard lock(mutex_);
            if (request.body == "inq=system")
                systemInquiries_.push_back({camera.address, std::chrono::steady_clock::now()});
            if (request.path != "/command/versionup.cgi")
                return;
            ++uploads_;
            uploaded_.notify_all();
        });
        std::string error;
        ASSERT_TRUE(fleet_->start(error)) << error;
    }
    void TearDown() override
    {
        if (fleet_)
            fleet_->stop();
    }
    bool waitForUploads(int count)
    {
        std::unique_lock lock(mutex_);
        return uploaded_.wait_for(lock, std::chrono::seconds(60), [&] { return uploads_ >= count; });
    }
    std::string write(const std::string& name, const std::string& text, mode_t mode = 0600) const
    {
        const std::string path = root_.path().string() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        ::chmod(path.c_str(), mode);
        return path;
    }
    // Starts the fleet and a batch of its cameras in order, one at a time, with the login admin/admin
    // and the report "report.json": a camera is not touched before the one ahead of it has ended.
    CliProcess startOneAtATime(std::vector<camsim::CameraSpec> cameras)
    {
        std::string targets;
        for (const camsim::CameraSpec& camera : cameras)
            targets += camera.address + "\n";
        startFleet(std::move(cameras));
        write("password", "admin\n");
        write("targets.txt", targets);
        return CliProcess(folder(), "targets.txt --user admin --password-file password --report report.json "
                                    "--parallel 1 --time-scale 0.01");
    }
    // Waits until the camera at `address` has received a request with this body.
    bool waitForRequest(const std::string& address, const std::string& body) const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            const auto requests = fleet_->requests(address);
            if (std::any_of(requests.begin(), requests.end(), [&](const auto& r) { return r.body == body; }))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    // When the camera at `address` received its first and its last "inq=system"; it must have had one.
    std::chrono::steady_clock::time_point firstInquiry(const std::string& address)
    {
        std::lock_guard lock(mutex_);
        return std::find_if(systemInquiries_.begin(), systemInquiries_.end(),
                            [&](const auto& entry) { return entry.first == address; })->second;
    }
    std::chrono::steady_clock::time_point lastInquiry(const std::string& address)
    {
        std::lock_guard lock(mutex_);
        return std::find_if(systemInquiries_.rbegin(), systemInquiries_.rend(),
                            [&](const auto& entry) { return entry.first == address; })->second;
    }
    std::string folder() const { return root_.path().string(); }
    CliResult run(const std::string& arguments, const std::string& command = "batch") const
    {
        return CliProcess(folder(), arguments, command).wait();
    }

    BackupRoot root_;
    std::unique_ptr<camsim::Fleet> fleet_;
    std::mutex mutex_;
    std::condition_variable uploaded_;
    int uploads_ = 0;
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> systemInquiries_;
};

} // namespace zka::test
