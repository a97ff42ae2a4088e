#include "procedure_rig.h"

#include "http/Base64.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zka::test {

namespace {

// The rig's own timer: samples every job's code, as a list row's redraw timer would.
constexpr Clock::Duration kWatchPeriod{100};

} // namespace

BackupRoot::BackupRoot()
{
    char pattern[] = "/tmp/zka-procedure-XXXXXX";
    path_ = ::mkdtemp(pattern);
    env_.set(path_.c_str());
}

BackupRoot::~BackupRoot()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::filesystem::path> BackupRoot::files() const
{
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_)) {
        if (entry.is_regular_file())
            found.push_back(entry.path());
    }
    return found;
}

std::vector<std::filesystem::path> BackupRoot::stampFolders() const
{
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory() && name.size() == 10 && name.find_first_not_of("0123456789") == std::string::npos)
            found.push_back(entry.path());
    }
    return found;
}

const PackagedResources& packagedResources()
{
    static ScriptedPrompter loaderPrompter;
    static PackagedResources resources(embeddedResources(), loaderPrompter);
    static const bool loaded = (resources.loadAll(), true);
    (void)loaded;
    return resources;
}

testing::AssertionResult followsCourse(const std::vector<int>& seen, const std::vector<int>& course)
{
    const auto text = [](const std::vector<int>& codes) {
        std::string joined;
        for (int code : codes)
            joined += (joined.empty() ? "" : " ") + std::to_string(code);
        return "{" + joined + "}";
    };
    bool fits = !seen.empty() && !course.empty() && seen.front() == course.front() && seen.back() == course.back();
    std::size_t next = 0;
    for (std::size_t i = 0; fits && i < seen.size(); ++i) {
        while (next < course.size() && course[next] != seen[i])
            ++next;
        fits = next < course.size();
        ++next;
    }
    if (fits)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "codes " << text(seen) << " do not follow " << text(course);
}

camsim::CameraSpec testCamera(int host)
{
    camsim::CameraSpec camera;
    camera.address = "127.0.0." + std::to_string(host);
    camera.serial = "S00000" + std::to_string(host);
    camera.mac = "08:00:46:00:00:" + std::to_string(10 + host);
    camera.upgradeSteps = 4;
    camera.stepSeconds = 1;
    camera.rebootSeconds = 20;
    return camera;
}

UpgradeRig::UpgradeRig(std::vector<camsim::CameraSpec> cameras, double timeScale)
    : clock(timeScale)
    , loop(clock)
    , fleet(std::move(cameras), timeScale)
    , batchTime(std::chrono::system_clock::now())
{
    watchTimer_ = loop.makeTimer([this] { watch(); });
}

UpgradeRig::~UpgradeRig()
{
    slots_.clear();
    fleet.stop();
}

bool UpgradeRig::start(std::string& error)
{
    if (!fleet.start(error))
        return false;
    watchTimer_.start(kWatchPeriod);
    return true;
}

UpgradeJob& UpgradeRig::add(const std::string& address, JobOptions options)
{
    const auto& resources = packagedResources();
    auto slot = std::make_unique<Slot>();
    std::string serial;
    for (const auto& camera : fleet.cameras()) {
        if (camera.address == address)
            serial = camera.serial;
    }
    const UpgradeJob::Seams host{clock, loop};
    if (options.automatic) {
        slot->job = std::make_unique<UpgradeJob>(host, address, encodeBase64("admin:admin"),
                                                     resources.supportedModels(), serial);
        slot->job->setOptions(UpgradeJob::Options::batch(options.retain, !options.keepBackup, batchTime));
    } else {
        slot->job = std::make_unique<UpgradeJob>(host, address, encodeBase64("admin:admin"),
                                                     resources.supportedModels());
    }
    slot->outcomes.listenTo(*slot->job);
    slot->job->setFirmware(resources.packageData()[0], options.emptyTarget ? std::string() : "ver2.45");
    slots_.push_back(std::move(slot));
    return *slots_.back()->job;
}

std::chrono::milliseconds UpgradeRig::destroy(std::size_t index)
{
    const auto begin = std::chrono::steady_clock::now();
    slots_.at(index)->job.reset();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin);
}

std::vector<int> UpgradeRig::trace(std::size_t index) const
{
    return slots_.at(index)->trace;
}

int UpgradeRig::progress(std::size_t index) const
{
    return slots_.at(index)->job->progress();
}

void UpgradeRig::watch()
{
    for (auto& slot : slots_) {
        if (!slot->job)
            continue;
        const int code = slot->job->errorCode();
        if (code != 0 && (slot->trace.empty() || slot->trace.back() != code))
            slot->trace.push_back(code);
    }
}

bool UpgradeRig::runUntil(const std::function<bool()>& done, Clock::Duration nominal)
{
    const bool reached = loop.runUntil([&] {
        watch();
        return done();
    }, nominal);
    watch();
    return reached;
}

bool UpgradeRig::allFinal() const
{
    return std::all_of(slots_.begin(), slots_.end(),
                       [](const auto& slot) { return !slot->job || isFinal(slot->job->errorCode()); });
}

std::vector<camsim::RecordedRequest> UpgradeRig::requests(const std::string& address, const std::string& path) const
{
    std::vector<camsim::RecordedRequest> found;
    for (auto& request : fleet.requests(address)) {
        if (request.path == path)
            found.push_back(std::move(request));
    }
    return found;
}

int UpgradeRig::inquiries(const std::string& address, const std::string& body) const
{
    return inquiriesReceived(fleet, address, body);
}

int inquiriesReceived(const camsim::Fleet& fleet, const std::string& address, const std::string& body)
{
    int count = 0;
    for (const auto& request : fleet.requests(address)) {
        if (request.path == "/command/inquiry.cgi" && request.body == body)
            ++count;
    }
    return count;
}

} // namespace zka::test

namespace zka::test {

BatchRig::BatchRig(std::vector<camsim::CameraSpec> cameras, int parallel, double timeScale)
    : clock(timeScale)
    , loop(clock)
    , fleet(std::move(cameras), timeScale)
    , scheduler(std::make_unique<BatchScheduler>(BatchScheduler::Seams{clock, loop, prompter}, packagedResources(),
                                                 FirmwareDescription::of(packagedResources()), parallel))
{
    scheduler->addObserver(*this);
}

BatchRig::~BatchRig()
{
    scheduler.reset();
    fleet.stop();
}

bool BatchRig::start(std::string& error)
{
    return fleet.start(error);
}

UpgradeTarget BatchRig::target(std::size_t camera) const
{
    const camsim::CameraSpec& spec = fleet.cameras().at(camera);
    UpgradeTarget target = addressOnly(spec.address);
    target.port = spec.webPort;
    target.dhcp = spec.dhcp;
    target.model = spec.model;
    target.version = spec.softVersion;
    target.serial = spec.serial;
    target.mac = spec.mac;
    return target;
}

UpgradeTarget BatchRig::addressOnly(const std::string& dotted, const std::string& password)
{
    UpgradeTarget target;
    target.name = "admin";
    target.password = password;
    unsigned a = 0, b = 0, c = 0, d = 0;
    std::sscanf(dotted.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
    target.address = {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(c),
                      static_cast<std::uint8_t>(d)};
    return target;
}

void BatchRig::addFleet()
{
    for (std::size_t i = 0; i < fleet.cameras().size(); ++i)
        scheduler->addUpgradeTarget(target(i));
}

void BatchRig::startBatch(bool retain, bool keepBackup)
{
    scheduler->setBatchOptions(retain, !keepBackup, std::chrono::system_clock::now());
    scheduler->start();
}

bool BatchRig::runBatch(Clock::Duration nominal)
{
    return loop.runUntil([this] { return ended_; }, nominal);
}

std::chrono::milliseconds BatchRig::destroyScheduler()
{
    const auto begin = std::chrono::steady_clock::now();
    scheduler.reset();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin);
}

std::vector<int> BatchRig::course(std::size_t row) const
{
    std::vector<int> codes{0};
    for (const Change& change : changes_) {
        if (change.row == row && change.codes[row] != codes.back())
            codes.push_back(change.codes[row]);
    }
    return codes;
}

int BatchRig::mostInProgress() const
{
    int most = 0;
    for (const Change& change : changes_) {
        const auto running = std::count_if(change.codes.begin(), change.codes.end(),
                                           [](int code) { return code > 0 && code < 9; });
        most = std::max(most, static_cast<int>(running));
    }
    return most;
}

int BatchRig::inquiries(const std::string& address, const std::string& body) const
{
    return inquiriesReceived(fleet, address, body);
}

void BatchRig::rowChanged(std::size_t row)
{
    Change change{row, {}};
    for (std::size_t i = 0; i < scheduler->rowCount(); ++i)
        change.codes.push_back(scheduler->row(i).statusCode);
    changes_.push_back(std::move(change));
    if (onChange)
        onChange(changes_.back());
}

void BatchRig::batchEnded()
{
    ended_ = true;
}

} // namespace zka::test
