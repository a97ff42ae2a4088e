#include "cli/BatchReportFile.h"

#include "cli/BatchReport.h"
#include "cli/ReplacedFile.h"
#include "runtime/FileDescriptor.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

namespace zka::cli {

BatchReportFile::BatchReportFile(const BatchScheduler& scheduler, std::string path, int leftOut)
    : scheduler_(scheduler)
    , path_(std::move(path))
    , leftOut_(leftOut)
    , replaceable_(replaceable(path_))
{
}

std::string BatchReportFile::begin()
{
    if (replaceable_)
        return write();
    const FileDescriptor file(::open(path_.c_str(), O_WRONLY | O_CLOEXEC));
    return file.valid() ? std::string() : std::strerror(errno);
}

std::string BatchReportFile::end()
{
    return write();
}

void BatchReportFile::rowChanged(std::size_t row)
{
    if (!replaceable_ || !scheduler_.row(row).ended)
        return;
    if (ended_.size() <= row)
        ended_.resize(scheduler_.rowCount(), false);
    if (ended_[row])
        return;
    ended_[row] = true;
    // A rewrite that fails leaves the previous report; the one at the end says whether it failed.
    write();
}

std::string BatchReportFile::write()
{
    return replaceFile(path_, renderBatchReport(scheduler_, leftOut_));
}

} // namespace zka::cli
