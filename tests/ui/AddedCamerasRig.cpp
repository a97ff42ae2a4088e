#include "AddedCamerasRig.h"

#include "upgrade/CameraAddressList.h"

namespace zka::test {

namespace {

camsim::CameraSpec openCamera(int host)
{
    camsim::CameraSpec camera = camsim::defaultFleet(1, "127.0.0." + std::to_string(host)).front();
    camera.systemInquiryOpen = true;
    return camera;
}

} // namespace

std::vector<camsim::CameraSpec> addedFleet()
{
    auto noSerial = openCamera(4);
    noSerial.serial.clear();
    auto otherModel = openCamera(5);
    otherModel.model = "ZKA-XT200";
    auto printer = openCamera(6);
    printer.notACamera = true;
    auto slow = openCamera(8);
    slow.slowAnswerSeconds = 1e5;
    auto slowToo = openCamera(12);
    slowToo.slowAnswerSeconds = 1e5;
    auto knownSerial = openCamera(11);
    knownSerial.serial = "S0000020";
    return {openCamera(2), openCamera(3), noSerial, otherModel, printer, slow, slowToo, knownSerial};
}

AddedCamerasRig::AddedCamerasRig(double listTimeScale)
    : fleet(addedFleet(), 0.01)
    , seams(listTimeScale)
{
    std::string error;
    started = fleet.start(error);
    target.setColumns(TargetCameraList::standardColumns());
}

int giveAddress(AddedCameraList& list, const QString& address)
{
    CameraAddressList parsed;
    if (!parsed.readText(address.toStdString()) || parsed.entries().size() != 1)
        return -1;
    const int row = list.addBlankRow();
    list.setRowAddress(row, parsed.entries()[0].address, parsed.entries()[0].port, true);
    return row;
}

QString modelText(const AddedCameraList& list, int row)
{
    return list.row(row).texts[AddedCameraList::ModelColumn];
}

int rowOfAddress(const AddedCameraList& list, const QString& address)
{
    for (int row = 0; row < list.rowCount(); ++row) {
        if (list.row(row).texts[AddedCameraList::AddressColumn] == address)
            return row;
    }
    return -1;
}

} // namespace zka::test
