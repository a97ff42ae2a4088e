#include "camera/UploadAnswerParser.h"

#include <algorithm>
#include <limits>

namespace zka {

namespace {

constexpr std::string_view kDelimiter = "--velmboundary";
constexpr std::string_view kHeaderEnd = "\r\n\r\n";
constexpr std::size_t kKeptWithoutDelimiter = 16;

// The camera's numbers are small (steps, totals); anything larger is nonsense from a broken or
// hostile answer and is read as this bound, which keeps every product below in 64 bits.
constexpr long kNumberBound = 1000000000;

// The decimal number at the start of text, as the camera writes it (blanks, optional sign, digits);
// 0 when there is none. Its magnitude is cut at kNumberBound.
long leadingNumber(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r')))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        negative = text[at++] == '-';
    long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min(value * 10 + (text[at] - '0'), kNumberBound);
    return negative ? -value : value;
}

} // namespace

UploadAnswerParser::UploadAnswerParser(std::atomic<int>& step)
    : step_(step)
{
    buffer_.reserve(kCapacity);
}

void UploadAnswerParser::reset()
{
    buffer_.clear();
    progressBase_ = 0;
    progressTotal_ = 0;
}

void UploadAnswerParser::append(std::string_view bytes)
{
    while (!buffer_.empty() && buffer_.size() + bytes.size() > kCapacity) {
        const auto a = buffer_.find(kDelimiter);
        if (a != std::string::npos)
            buffer_.erase(0, a + 1); // the part at a does not fit: give it up
        else if (buffer_.size() > kKeptWithoutDelimiter)
            buffer_.erase(0, buffer_.size() - kKeptWithoutDelimiter);
        else
            buffer_.clear();
    }
    buffer_.append(bytes);
}

int UploadAnswerParser::parse(const ProgressTargets& progress)
{
    const auto a = buffer_.find(kDelimiter);
    if (a == std::string::npos) {
        if (buffer_.size() > kKeptWithoutDelimiter)
            buffer_.erase(0, buffer_.size() - kKeptWithoutDelimiter);
        return 1;
    }
    if (buffer_.compare(a + kDelimiter.size(), 2, "--") == 0)
        return 0;
    const auto i = buffer_.find(kHeaderEnd, a);
    if (i == std::string::npos || buffer_.size() < i + 5)
        return 1;
    // The part is known to be complete once the next delimiter has arrived.
    const auto partEnd = buffer_.find(kDelimiter, i);
    if (buffer_[i + 4] == '(') {
        const auto close = buffer_.find(')', i + 5);
        if (close == std::string::npos || close > partEnd) {
            // The number is still on its way; a part that ended without ")" is another report.
            return partEnd == std::string::npos ? 1 : otherReport(i, progress);
        }
        const long k = leadingNumber(std::string_view(buffer_).substr(i + 5, close - i - 5));
        if (k > 0)
            return stepReport(k, i, progress);
        if (k == 0)
            return totalReport(i, partEnd, progress);
    }
    return otherReport(i, progress);
}

int UploadAnswerParser::parseAll(const ProgressTargets& progress)
{
    for (;;) {
        const std::size_t before = buffer_.size();
        if (parse(progress) == 0)
            return 0;
        if (buffer_.size() >= before)
            return 1;
    }
}

int UploadAnswerParser::stepReport(long k, std::size_t partStart, const ProgressTargets& progress)
{
    // Without an announced total there is no step size yet; the display stays where it is rather
    // than falling back to 0. A step beyond the total counts as the last one.
    if (progressTotal_ > 0) {
        const long long kk = std::min<long>(k, progressTotal_);
        ProgressTargets::raiseTo(progress.bar, progressBase_ + kk * step_.load());
        if (progress.row != nullptr) {
            if (progressBase_ == 0 && step_.load() == 0) {
                progressBase_ = progress.row->load();
                step_.store((kStepsTarget - progressBase_) / progressTotal_);
            }
            ProgressTargets::raiseTo(progress.row, progressBase_ + kk * step_.load());
        }
    }
    buffer_.erase(0, partStart);
    return 1;
}

int UploadAnswerParser::totalReport(std::size_t partStart, std::size_t partEnd, const ProgressTargets& progress)
{
    const auto colon = buffer_.find(": ", partStart);
    const auto lineEnd = colon == std::string::npos ? std::string::npos : buffer_.find("\r\n", colon + 2);
    if (lineEnd == std::string::npos || lineEnd > partEnd) {
        if (partEnd == std::string::npos)
            return 1; // wait for the rest of the part
        // The part ended without a total: nothing to use.
        buffer_.erase(0, partEnd);
        return 1;
    }
    const long total = leadingNumber(std::string_view(buffer_).substr(colon + 2, lineEnd - colon - 2));
    progressTotal_ = total > 0 && total <= std::numeric_limits<int>::max() ? static_cast<int>(total) : 0;
    if (progressTotal_ > 0) {
        progressBase_ = progress.current();
        step_.store((kStepsTarget - progressBase_) / progressTotal_);
    }
    buffer_.erase(0, lineEnd);
    return 1;
}

int UploadAnswerParser::otherReport(std::size_t partStart, const ProgressTargets& progress)
{
    progress.add(30);
    buffer_.erase(0, partStart);
    return 1;
}

} // namespace zka
