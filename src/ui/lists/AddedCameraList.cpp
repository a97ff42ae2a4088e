#include "ui/lists/AddedCameraList.h"

#include "camera/CameraClient.h"
#include "runtime/Desktop.h"
#include "ui/widgets/ScaledInterval.h"
#include "upgrade/CameraAddressList.h"
#include "upgrade/TargetCheck.h"

#include <QMouseEvent>

#include <algorithm>

namespace zka {
namespace {

const QString kQueued = QStringLiteral("Queued...");
const QString kSearching = QStringLiteral("Searching...");
const QString kNoResponse = QStringLiteral("No response");
const QString kNotACamera = QStringLiteral("Not a camera");

// The login of an address probe: no name, no password, sent as it is.
const char* const kEmptyLogin = ":";

QString addressText(const AddedRow::Octets& address, int port)
{
    return QString::fromStdString(CameraAddress{address, port}.text());
}

QString idText(int id)
{
    return QStringLiteral("%1").arg(id, 3, 10, QLatin1Char('0'));
}

} // namespace

AddedCameraList::AddedCameraList(TargetCameraList::Seams seams, QWidget* parent)
    : CameraListView(parent)
    , seams_(seams)
    , probes_(seams_.clock)
{
    setObjectName(QStringLiteral("addedList"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    probeTimer_.setTimerType(Qt::PreciseTimer);
    setScaledInterval(probeTimer_, seams_.clock, TargetCameraList::kProbePeriod);
    connect(&probeTimer_, &QTimer::timeout, this, &AddedCameraList::onProbeTick);
}

AddedCameraList::~AddedCameraList()
{
    probeTimer_.stop();
    // Each client stops its query and joins its thread as it goes.
    probes_.clear();
}

std::vector<CameraListView::Column> AddedCameraList::standardColumns()
{
    return {{QStringLiteral("ID"), 30, Qt::AlignRight},
            {QStringLiteral("IP address"), 140},
            {QStringLiteral("Model"), 85},
            {QStringLiteral("Serial No."), 60},
            {QStringLiteral("Version No."), 90}};
}

void AddedCameraList::setTargetList(const TargetCameraList* targetList)
{
    targetList_ = targetList;
    markDuplicates();
}

// ---- Rows ----

int AddedCameraList::addBlankRow()
{
    AddedRow row;
    row.key = nextKey_++;
    setId(row, int(rows_.size()) + 1);
    row.ipAddress = lastAddress_;
    row.httpPort = lastPort_;
    const int at = int(rows_.size());
    beginRowsInserted(at, at);
    rows_.push_back(std::move(row));
    endRowsInserted();
    const int selected = firstSelectedRow();
    selectRow(selected < 0 ? 0 : selected + 1);
    return at;
}

void AddedCameraList::setRowAddress(int index, const Octets& address, int port, bool use)
{
    if (index < 0 || index >= int(rows_.size()))
        return;
    AddedRow& r = rows_[std::size_t(index)];
    r.ipAddress = address;
    r.httpPort = port;
    const QString text = addressText(address, port);
    if (text != r.texts[AddressColumn] || !r.inUse) {
        r.texts[AddressColumn] = text;
        r.inUse = use;
        if (use)
            queueProbe(r);
    }
    lastAddress_ = address;
    lastPort_ = port;
    rowsChanged(index, index);
    markDuplicates();
}

std::pair<AddedCameraList::Octets, int> AddedCameraList::getRowAddress(int index) const
{
    const AddedRow& r = row(index);
    return {r.ipAddress, r.httpPort};
}

bool AddedCameraList::rowInUse(int index) const
{
    return index >= 0 && index < int(rows_.size()) && rows_[std::size_t(index)].inUse;
}

AddedCameraList::RowInfo AddedCameraList::getRowInfo(int id) const
{
    const int index = rowOfId(id);
    if (index < 0)
        return {};
    const AddedRow& r = rows_[std::size_t(index)];
    return {r.texts[ModelColumn], r.texts[VersionColumn], r.texts[SerialColumn]};
}

bool AddedCameraList::isRowReady(int index) const
{
    const AddedRow& r = row(index);
    // A row still queued or searching is never ready, whatever it showed before.
    return r.inUse && r.duplicateMark == 0 && r.supportState == 1 && r.probe == AddedRow::Probe::Done;
}

bool AddedCameraList::anyRowNotReady() const
{
    for (int index = 0; index < int(rows_.size()); ++index) {
        if (!isRowReady(index))
            return true;
    }
    return false;
}

void AddedCameraList::removeUnusedRows()
{
    setUpdatesEnabled(false);
    for (int index = int(rows_.size()) - 1; index >= 0; --index) {
        if (rows_[std::size_t(index)].inUse)
            continue;
        probes_.cancel(rows_[std::size_t(index)].key);
        beginRowsRemoved(index, index);
        rows_.erase(rows_.begin() + index);
        endRowsRemoved();
    }
    // Ids stay 1 to n, so that a row added later never takes an id that is still shown.
    std::vector<AddedRow*> byId;
    for (AddedRow& r : rows_)
        byId.push_back(&r);
    std::sort(byId.begin(), byId.end(), [](const AddedRow* a, const AddedRow* b) { return a->id < b->id; });
    for (std::size_t i = 0; i < byId.size(); ++i)
        setId(*byId[i], int(i) + 1);
    // A blank row's address marked nothing, but the marks are made afresh all the same.
    markDuplicates();
    setUpdatesEnabled(true);
}

void AddedCameraList::deleteRow(int index)
{
    if (index < 0 || index >= int(rows_.size()))
        return;
    const int deletedId = rows_[std::size_t(index)].id;
    probes_.cancel(rows_[std::size_t(index)].key);
    for (AddedRow& r : rows_) {
        if (r.id > deletedId)
            setId(r, r.id - 1);
    }
    const int selected = firstSelectedRow();
    beginRowsRemoved(index, index);
    rows_.erase(rows_.begin() + index);
    endRowsRemoved();
    markDuplicates();
    if (!rows_.empty() && selected >= 0)
        selectRow(std::min(selected, int(rows_.size()) - 1));
    viewport()->update();
    emit selectionReported();
}

void AddedCameraList::selectRow(int index)
{
    if (index < 0 || index >= int(rows_.size()))
        return;
    selectRows({index}, index);
    scrollTo(model()->index(index, 0));
}

void AddedCameraList::sortRowsByColumn(int column)
{
    if (column < IdColumn || column > VersionColumn || rows_.empty())
        return;
    if (column == sortColumn_) {
        sortDescending_ = !sortDescending_;
    } else {
        sortColumn_ = column;
        // The first click shows the newest ids on top, the texts from low to high.
        sortDescending_ = column == IdColumn;
    }
    const auto less = [column](const AddedRow& a, const AddedRow& b) {
        if (column == IdColumn)
            return a.id < b.id;
        return QString::compare(a.texts[std::size_t(column)], b.texts[std::size_t(column)], Qt::CaseSensitive) < 0;
    };
    sortRows(rows_, less, sortDescending_, [](const AddedRow& r) { return r.key; });
}

void AddedCameraList::headerItemPressed(int column)
{
    sortRowsByColumn(column);
}

QString AddedCameraList::webPage(int index) const
{
    const AddedRow& r = row(index);
    return QStringLiteral("http://") + addressText(r.ipAddress, r.httpPort) + QLatin1Char('/');
}

int AddedCameraList::rowOfKey(int key) const
{
    const auto found = std::find_if(rows_.begin(), rows_.end(), [key](const AddedRow& r) { return r.key == key; });
    return found == rows_.end() ? -1 : int(found - rows_.begin());
}

int AddedCameraList::rowOfId(int id) const
{
    const auto found = std::find_if(rows_.begin(), rows_.end(), [id](const AddedRow& r) { return r.id == id; });
    return found == rows_.end() ? -1 : int(found - rows_.begin());
}

void AddedCameraList::setId(AddedRow& row, int id)
{
    row.id = id;
    row.texts[IdColumn] = idText(id);
}

// ---- Marks ----

void AddedCameraList::markDuplicates()
{
    for (AddedRow& r : rows_)
        r.duplicateMark = 0;
    // Only addresses given to rows count: a blank row's address is a proposal, not a camera.
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        for (std::size_t s = 0; s < rows_.size(); ++s) {
            if (r != s && rows_[r].inUse && rows_[s].inUse && rows_[r].ipAddress == rows_[s].ipAddress)
                rows_[s].duplicateMark = 1;
        }
    }
    // Already in the target list: this mark wins over the other.
    if (targetList_) {
        for (AddedRow& r : rows_) {
            for (int t = 0; t < targetList_->rowCount(); ++t) {
                if (targetList_->rowAddress(t) == r.ipAddress) {
                    r.duplicateMark = 2;
                    break;
                }
            }
        }
    }
    viewport()->update();
}

// ---- Probes ----

void AddedCameraList::queueProbe(AddedRow& row)
{
    row.texts[ModelColumn] = kQueued;
    row.texts[SerialColumn].clear();
    row.texts[VersionColumn].clear();
    row.supportState = 1;
    row.probe = AddedRow::Probe::Queued;
    probes_.cancel(row.key);
    probes_.add(row.key,
                std::make_unique<CameraClient>(seams_.clock, CameraAddress{row.ipAddress, row.httpPort}.text(), kEmptyLogin));
    if (!probeTimer_.isActive())
        probeTimer_.start();
}

void AddedCameraList::onProbeTick()
{
    if (inProbeTick_)
        return;
    inProbeTick_ = true;
    const bool idle = probes_.empty();
    emit okAllowed(idle);
    if (idle) {
        // Nothing to do until the next address is queued (which starts the timer again).
        probeTimer_.stop();
        inProbeTick_ = false;
        return;
    }
    probes_.tick(
        "inq=system", [this](int key) { probeStarted(key); },
        [this](int key, const CameraClient& client) { probeFinished(key, client); });
    inProbeTick_ = false;
}

void AddedCameraList::probeStarted(int key)
{
    const int index = rowOfKey(key);
    if (index < 0)
        return;
    AddedRow& r = rows_[std::size_t(index)];
    r.texts[ModelColumn] = kSearching;
    r.supportState = 1;
    r.probe = AddedRow::Probe::Searching;
    rowsChanged(index, index);
}

void AddedCameraList::probeFinished(int key, const CameraClient& client)
{
    // An address probe is the system step of the target check, with no login to try.
    const std::string reply = client.polledReply().text;
    const CameraIdentity identity = CameraIdentity::fromSystemReply(reply, seams_.models);
    const TargetVerdict verdict = TargetCheck::judgeSystem(reply, identity);
    const int index = rowOfKey(key);
    if (index < 0)
        return;
    AddedRow& r = rows_[std::size_t(index)];
    const bool supported = verdict == TargetVerdict::Accepted;
    r.texts[ModelColumn] = verdict == TargetVerdict::NoAnswer ? kNoResponse
                           : !supported                      ? kNotACamera
                                                             : QString::fromStdString(identity.model);
    QString version = QString::fromStdString(identity.versionText());
    if (version.startsWith(QLatin1String("ver")))
        version.remove(0, 3);
    r.texts[VersionColumn] = version;
    r.texts[SerialColumn] = QString::fromStdString(identity.serial);
    r.supportState = supported ? 1 : 2;
    r.probe = AddedRow::Probe::Done;
    rowsChanged(index, index);
}

// ---- Drawing ----

QString AddedCameraList::cellText(int index, int column) const
{
    if (column < IdColumn || column > VersionColumn)
        return {};
    return row(index).texts[std::size_t(column)];
}

QVariant AddedCameraList::cellData(int index, int, int role) const
{
    if (role != Qt::AccessibleDescriptionRole)
        return {};
    const AddedRow& r = row(index);
    QStringList words;
    if (r.duplicateMark == 1)
        words << QStringLiteral("Same address as another row");
    else if (r.duplicateMark == 2)
        words << QStringLiteral("Already in the target list");
    if (r.supportState == 2)
        words << QStringLiteral("Not a supported camera");
    return words.join(QStringLiteral(", "));
}

CameraListView::RowLook AddedCameraList::rowLook(int index, bool selected) const
{
    RowLook look;
    const AddedRow& r = row(index);
    if (selected) {
        look.strip = Strip::Selected;
        look.text = palette().color(QPalette::Active, QPalette::HighlightedText);
    } else {
        look.strip = r.duplicateMark == 1 ? Strip::Duplicate : r.duplicateMark == 2 ? Strip::NoAnswer : Strip::Normal;
        look.text = palette().color(QPalette::Active, QPalette::Text);
    }
    // A row that is no supported camera is greyed, selected or not.
    if (r.supportState == 2)
        look.text = palette().color(QPalette::Disabled, QPalette::Text);
    return look;
}

// ---- Mouse ----

void AddedCameraList::mouseReleaseEvent(QMouseEvent* event)
{
    CameraListView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        emit selectionReported();
}

void AddedCameraList::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const int index = rowAt(event->position().toPoint());
        if (index >= 0)
            seams_.desktop.openUrl(webPage(index).toStdString());
    }
    CameraListView::mouseDoubleClickEvent(event);
}

void AddedCameraList::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    CameraListView::selectionChanged(selected, deselected);
    emit selectionReported();
}

} // namespace zka
