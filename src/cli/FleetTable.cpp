#include "cli/FleetTable.h"

#include "cli/TerminalText.h"

#include <algorithm>
#include <array>

namespace zka::cli {

namespace {

std::string orDash(const std::string& text)
{
    return text.empty() ? "-" : text;
}

std::string versionChange(const ReportedCamera& camera)
{
    if (camera.versionBefore.empty() && camera.versionAfter.empty())
        return "-";
    return orDash(camera.versionBefore) + " -> " + orDash(camera.versionAfter);
}

// A field as RFC 4180 writes it. A camera's text that a spreadsheet would take for a formula
// (starting with =, +, -, @ or a control character) is kept as text by a leading apostrophe: the
// texts come from devices on the network, not from the operator.
std::string csvField(const std::string& text)
{
    std::string field = text;
    if (!field.empty() && (std::string_view("=+-@").find(field.front()) != std::string_view::npos
                           || static_cast<unsigned char>(field.front()) < 0x20))
        field.insert(field.begin(), '\'');
    if (field.find_first_of(",\"\r\n") == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

void FleetTotals::count(const std::string& outcome)
{
    if (outcome == "completed")
        ++completed;
    else if (outcome == "skipped")
        ++skipped;
    else if (outcome == "not-started")
        ++notStarted;
    else if (outcome == "abandoned")
        ++abandoned;
    else
        ++failed;
}

std::string FleetTotals::text() const
{
    return std::to_string(completed) + " completed, " + std::to_string(skipped) + " skipped, "
           + std::to_string(failed) + " failed, " + std::to_string(notStarted) + " not started, "
           + std::to_string(abandoned) + " abandoned (" + std::to_string(cameras()) + (cameras() == 1 ? " camera)" : " cameras)");
}

void FleetTable::add(const std::string& segment, const ReportedBatch& batch)
{
    auto found = std::find_if(segments_.begin(), segments_.end(), [&](const Segment& s) { return s.name == segment; });
    if (found == segments_.end())
        found = segments_.insert(segments_.end(), Segment{segment, {}});
    for (const ReportedCamera& camera : batch.cameras) {
        rows_.push_back({segment, camera});
        found->totals.count(camera.outcome);
    }
    found->totals.notStarted += batch.leftOut;
}

FleetTotals FleetTable::totals() const
{
    FleetTotals all;
    for (const Segment& segment : segments_) {
        all.completed += segment.totals.completed;
        all.skipped += segment.totals.skipped;
        all.failed += segment.totals.failed;
        all.notStarted += segment.totals.notStarted;
        all.abandoned += segment.totals.abandoned;
    }
    return all;
}

std::string FleetTable::text() const
{
    std::vector<std::vector<std::string>> lines{{"SEGMENT", "ID", "ADDRESS", "MODEL", "VERSION", "OUTCOME", "DETAIL"}};
    for (const Row& row : rows_) {
        const ReportedCamera& camera = row.camera;
        lines.push_back({escapeControls(row.segment), std::to_string(camera.id), camera.address.text(),
                         escapeControls(orDash(camera.model)), escapeControls(versionChange(camera)), camera.outcome,
                         escapeControls(camera.detail)});
    }
    std::string out = alignedColumns(lines);
    out += "\n";
    for (const Segment& segment : segments_)
        out += escapeControls(segment.name) + ": " + segment.totals.text() + "\n";
    const std::size_t count = segments_.size();
    out += (count == 1 ? std::string("the 1 segment: ") : "all " + std::to_string(count) + " segments: ") +
           totals().text() + "\n";
    return out;
}

std::string FleetTable::csv() const
{
    std::string out = "segment,id,address,model,version before,version after,outcome,detail\r\n";
    for (const Row& row : rows_) {
        const ReportedCamera& camera = row.camera;
        const std::array<std::string, 8> fields{row.segment,          std::to_string(camera.id),
                                                camera.address.text(), camera.model,
                                                camera.versionBefore,  camera.versionAfter,
                                                camera.outcome,        camera.detail};
        for (std::size_t i = 0; i < fields.size(); ++i)
            out += (i == 0 ? "" : ",") + csvField(fields[i]);
        out += "\r\n";
    }
    return out;
}

} // namespace zka::cli
