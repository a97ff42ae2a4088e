#include "ui/lists/TargetCameraList.h"

#include "camera/CameraClient.h"
#include "camera/CameraIdentity.h"
#include "http/Base64.h"
#include "runtime/Desktop.h"
#include "ui/widgets/ScaledInterval.h"
#include "upgrade/CameraAddressList.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace zka {
namespace {

constexpr std::uint16_t kErrorCaption = 139;
const QColor kMissingPasswordColour(0xFF, 0x00, 0x00);

const char* const kDuplicateHead = "There is more than one camera with the same IP address as below.\r\n";
const char* const kDuplicateTail = "Please assign different addresses to avoid any conflict.";

// A row's texts are its columns in order.
static_assert(int(TargetRow::NameText) == TargetCameraList::NameColumn);

} // namespace

TargetCameraList::TargetCameraList(Seams seams, QWidget* parent)
    : CameraListView(parent)
    , seams_(seams)
    , probes_(seams_.clock)
    , tip_(*viewport(), [this](int index) { return cellRect(index, AddressColumn); })
{
    setObjectName(QStringLiteral("targetList"));
    using listart::CheckImage;
    checkImages_ = {listart::checkImage(CheckImage::Unchecked), listart::checkImage(CheckImage::Checked),
                    listart::checkImage(CheckImage::Greyed)};
    viewport()->setMouseTracking(true);
    probeTimer_.setTimerType(Qt::PreciseTimer);
    setScaledInterval(probeTimer_, seams_.clock, kProbePeriod);
    connect(&probeTimer_, &QTimer::timeout, this, &TargetCameraList::onProbeTick);
}

TargetCameraList::~TargetCameraList()
{
    stopProbing();
}

std::vector<CameraListView::Column> TargetCameraList::standardColumns()
{
    return {{QString(), 17},
            {QStringLiteral("MAC address"), 123},
            {QStringLiteral("IP address"), 100},
            {QStringLiteral("Model"), 85},
            {QStringLiteral("Serial No."), 50},
            {QStringLiteral("Version No."), 70},
            {QStringLiteral("Name"), 50}};
}

// ---- Rows ----

bool TargetCameraList::addCamera(int position, const CameraEntry& entry)
{
    // An entry without a MAC address or a serial goes only into an empty list.
    if (std::any_of(rows_.begin(), rows_.end(), [&](const TargetRow& row) { return row.describes(entry); }))
        return false;

    TargetRow row(nextId_++, entry);
    const int at = std::clamp(position, 0, int(rows_.size()));
    beginRowsInserted(at, at);
    rows_.insert(rows_.begin() + at, std::move(row));
    endRowsInserted();
    return true;
}

void TargetCameraList::clearRows()
{
    tip_.hide();
    beginRowsReset();
    rows_.clear();
    endRowsReset();
}

bool TargetCameraList::getRowDetails(int index, RowDetails& details) const
{
    details = row(index).target();
    return row(index).checked;
}

std::pair<QString, QString> TargetCameraList::getRowLogin(int index) const
{
    const TargetRow& r = row(index);
    return {r.texts[NameColumn], r.texts[kPasswordText]};
}

void TargetCameraList::setRowLogin(int index, const QString& name, const QString& password)
{
    TargetRow& r = rows_.at(std::size_t(index));
    r.texts[NameColumn] = name;
    r.texts[kPasswordText] = password;
    rowsChanged(index, index);
}

TargetCameraList::Octets TargetCameraList::rowAddress(int index) const
{
    return row(index).ipAddress;
}

void TargetCameraList::setChecked(int index, bool checked)
{
    rows_.at(std::size_t(index)).checked = checked;
    rowsChanged(index, index);
    emit checksChanged();
}

QString TargetCameraList::webPage(int index) const
{
    return row(index).webPage();
}

QString TargetCameraList::addressTip(int index) const
{
    return row(index).addressTip();
}

// ---- Selection ----

void TargetCameraList::selectAllRows()
{
    std::vector<int> all(rows_.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = int(i);
    selectRows(all, 0);
    emit selectionReported(!rows_.empty());
}

void TargetCameraList::selectFirstRow()
{
    if (!rows_.empty())
        selectRows({0}, 0);
}

void TargetCameraList::moveSelection(int delta)
{
    if (rows_.empty())
        return;
    const int first = firstSelectedRow();
    const int target = std::clamp((first < 0 ? 0 : first) + delta, 0, int(rows_.size()) - 1);
    selectRows({target}, target);
    scrollTo(model()->index(target, 0));
}

void TargetCameraList::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    CameraListView::selectionChanged(selected, deselected);
    emit selectionReported(!selectionModel()->selectedRows().isEmpty());
}

// ---- Checks ----

bool TargetCameraList::hasCompleteCheckedRows() const
{
    bool anyChecked = false;
    for (const TargetRow& r : rows_) {
        if (!r.checked)
            continue;
        anyChecked = true;
        if (r.texts[NameColumn].isEmpty() || r.texts[kPasswordText].isEmpty())
            return false;
    }
    return anyChecked;
}

bool TargetCameraList::checkDuplicateAddresses()
{
    std::string lines;
    for (TargetRow& r : rows_)
        r.duplicate = false;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        for (std::size_t j = i + 1; j < rows_.size(); ++j) {
            if (rows_[i].ipAddress != rows_[j].ipAddress)
                continue;
            rows_[i].duplicate = rows_[j].duplicate = true;
            lines += "#" + CameraAddress{rows_[i].ipAddress, 80}.text() + "\r\n";
        }
    }
    viewport()->update();
    if (lines.empty())
        return true;
    seams_.prompter.show(Message{kDuplicateHead + lines + kDuplicateTail, seams_.texts(kErrorCaption),
                                 MessageIcon::Error, MessageButtons::Ok});
    return false;
}

void TargetCameraList::sortRowsByColumn(int column)
{
    if (column < CheckColumn || column > NameColumn || rows_.empty())
        return;
    if (column == CheckColumn) {
        const bool first = rows_.front().checked;
        if (std::all_of(rows_.begin(), rows_.end(), [&](const TargetRow& r) { return r.checked == first; }))
            return;
    }
    if (column == sortColumn_) {
        sortAscending_ = !sortAscending_;
    } else {
        sortColumn_ = column;
        sortAscending_ = true;
    }

    const auto less = [column](const TargetRow& a, const TargetRow& b) {
        if (column == CheckColumn)
            return a.checked < b.checked;
        return QString::compare(a.texts[std::size_t(column)], b.texts[std::size_t(column)], Qt::CaseSensitive) < 0;
    };
    sortRows(rows_, less, !sortAscending_, [](const TargetRow& r) { return r.id; });
}

void TargetCameraList::headerItemPressed(int column)
{
    sortRowsByColumn(column);
}

// ---- Probes ----

int TargetCameraList::startProbing()
{
    int started = 0;
    for (int index : selectedRows()) {
        const TargetRow& r = rows_[std::size_t(index)];
        const std::string credential =
            encodeBase64((r.texts[NameColumn] + QLatin1Char(':') + r.texts[kPasswordText]).toStdString());
        probes_.add(r.id, std::make_unique<CameraClient>(seams_.clock, CameraAddress{r.ipAddress, r.httpPort}.text(),
                                                         credential));
        ++started;
    }
    if (!probes_.empty() && !probeTimer_.isActive())
        probeTimer_.start();
    return started;
}

void TargetCameraList::stopProbing()
{
    probeTimer_.stop();
    // Each client stops its query and joins its thread as it goes.
    probes_.clear();
}

void TargetCameraList::onProbeTick()
{
    if (inProbeTick_)
        return;
    inProbeTick_ = true;
    probes_.tick("inq=network", [](int) {}, [this](int rowId, const CameraClient& client) { finishProbe(rowId, client); });
    if (probes_.empty()) {
        probeTimer_.stop();
        emit probingFinished();
    }
    inProbeTick_ = false;
}

void TargetCameraList::finishProbe(int rowId, const CameraClient& client)
{
    const std::string mac = CameraIdentity::fromSystemReply(client.polledReply().text, {}).mac;
    const bool answered = !mac.empty();
    const int index = rowOfId(rowId);
    if (index < 0)
        return;
    TargetRow& r = rows_[std::size_t(index)];
    r.probeState = answered ? 2 : 1;
    if (answered && r.texts[MacColumn].isEmpty())
        r.texts[MacColumn] = QString::fromStdString(mac);
    rowsChanged(index, index);
}

int TargetCameraList::rowOfId(int id) const
{
    const auto found = std::find_if(rows_.begin(), rows_.end(), [id](const TargetRow& r) { return r.id == id; });
    return found == rows_.end() ? -1 : int(found - rows_.begin());
}

// ---- Drawing ----

QString TargetCameraList::cellText(int index, int column) const
{
    if (column <= CheckColumn || column > NameColumn)
        return {};
    return row(index).texts[std::size_t(column)];
}

QVariant TargetCameraList::cellData(int index, int column, int role) const
{
    const TargetRow& r = row(index);
    if (role == Qt::CheckStateRole && column == CheckColumn)
        return r.checked ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::AccessibleDescriptionRole)
        return r.description();
    return {};
}

CameraListView::RowLook TargetCameraList::rowLook(int index, bool selected) const
{
    RowLook look = CameraListView::rowLook(index, selected);
    if (look.strip == Strip::Selected || look.plainFill)
        return look;
    const TargetRow& r = row(index);
    if (r.duplicate)
        look.strip = Strip::Duplicate;
    else if (r.probeState == 1)
        look.strip = Strip::NoAnswer;
    else if (r.probeState == 2)
        look.strip = Strip::Answered;
    return look;
}

QColor TargetCameraList::cellColour(int index, int column, const RowLook& look) const
{
    if (column == NameColumn && row(index).texts[kPasswordText].isEmpty())
        return kMissingPasswordColour;
    return look.text;
}

void TargetCameraList::drawRowStart(QPainter& painter, int index, const QRect& rowRect) const
{
    using listart::CheckImage;
    const CheckImage image = !isEnabled() ? CheckImage::Greyed
                             : row(index).checked ? CheckImage::Checked
                                                  : CheckImage::Unchecked;
    const QPixmap& picture = checkImages_[std::size_t(image)];
    const int top = rowRect.top() + std::max(0, (rowRect.height() - picture.height()) / 2);
    painter.drawPixmap(header()->sectionViewportPosition(CheckColumn), top, picture);
}

// ---- Mouse and keys ----

bool TargetCameraList::inCheckArea(const QPoint& viewportPoint) const
{
    const int left = header()->sectionViewportPosition(CheckColumn);
    return viewportPoint.x() >= left && viewportPoint.x() < left + header()->sectionSize(CheckColumn);
}

void TargetCameraList::toggleFrom(int index)
{
    const auto selected = selectedRows();
    const bool clickedSelected = std::find(selected.begin(), selected.end(), index) != selected.end();
    if (selected.size() > 1 && clickedSelected) {
        setSelectedChecks(!rows_[std::size_t(index)].checked);
        return;
    }
    rows_[std::size_t(index)].checked = !rows_[std::size_t(index)].checked;
    rowsChanged(index, index);
    emit checksChanged();
}

void TargetCameraList::setSelectedChecks(bool checked)
{
    for (int index : selectedRows())
        rows_[std::size_t(index)].checked = checked;
    viewport()->update();
    emit checksChanged();
}

void TargetCameraList::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint point = event->position().toPoint();
        const int index = rowAt(point);
        if (index < 0 || inCheckArea(point)) {
            // No row: nothing at all happens. The check box: toggled, the selection stays.
            if (index >= 0)
                toggleFrom(index);
            swallowRelease_ = true;
            event->accept();
            return;
        }
    }
    swallowRelease_ = false;
    CameraListView::mousePressEvent(event);
}

void TargetCameraList::mouseReleaseEvent(QMouseEvent* event)
{
    if (swallowRelease_ && event->button() == Qt::LeftButton) {
        swallowRelease_ = false;
        event->accept();
        return;
    }
    CameraListView::mouseReleaseEvent(event);
}

void TargetCameraList::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (event->button() != Qt::LeftButton) {
        CameraListView::mouseDoubleClickEvent(event);
        return;
    }
    if (inCheckArea(point)) {
        // The second click of a double click on a check box is one more click.
        mousePressEvent(event);
        return;
    }
    const int index = rowAt(point);
    if (index >= 0)
        seams_.desktop.openUrl(webPage(index).toStdString());
    CameraListView::mouseDoubleClickEvent(event);
}

void TargetCameraList::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        const int focused = focusedRow();
        const auto selected = selectedRows();
        if (focused >= 0 && std::find(selected.begin(), selected.end(), focused) != selected.end())
            setSelectedChecks(!rows_[std::size_t(focused)].checked);
    }
    emit selectionReported(!selectedRows().empty());
    CameraListView::keyReleaseEvent(event);
}

void TargetCameraList::mouseMoveEvent(QMouseEvent* event)
{
    updateTip(event->position().toPoint());
    CameraListView::mouseMoveEvent(event);
}

void TargetCameraList::leaveEvent(QEvent* event)
{
    tip_.hide();
    CameraListView::leaveEvent(event);
}

void TargetCameraList::updateTip(const QPoint& viewportPoint)
{
    if (columnAt(viewportPoint.x()) != AddressColumn || rows_.empty())
        tip_.leaveColumn();
    else
        tip_.pointAt(rowAt(viewportPoint), [this](int index) { return addressTip(index); });
}

} // namespace zka
