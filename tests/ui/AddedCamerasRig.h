#pragma once

// Simulated cameras for the added-camera list's probes, and a target list beside them. The probes
// open sockets, so the tests that use this run in the private network namespace.

#include "UiTestSupport.h"

#include "camsim/Fleet.h"
#include "ui/lists/AddedCameraList.h"

#include <QString>

#include <vector>

namespace zka::test {

// The cameras, all answering "inq=system" without a login:
//   127.0.0.2, .3        supported cameras (serials S0000002, S0000003)
//   127.0.0.4            a supported camera that reports no serial
//   127.0.0.5            a camera of another model
//   127.0.0.6            a web server that is no camera
//   127.0.0.8, .12       cameras that never answer within a test
//   127.0.0.11           a supported camera with the serial S0000020 (that of cameraEntry(20))
// Nothing listens at 127.0.0.7.
std::vector<camsim::CameraSpec> addedFleet();

struct AddedCamerasRig {
    // listTimeScale: the scale of the lists' clock (their probe period and time-out).
    explicit AddedCamerasRig(double listTimeScale = 0.01);

    camsim::Fleet fleet;
    bool started = false;
    ListSeams seams;
    TargetCameraList target{seams.seams()};
};

// One address "a.b.c.d[:port]" given to a new row of the list; returns the row.
int giveAddress(AddedCameraList& list, const QString& address);
// The model column of a row: the model, or the probe's word.
QString modelText(const AddedCameraList& list, int row);
// The row showing this address text, or -1.
int rowOfAddress(const AddedCameraList& list, const QString& address);

} // namespace zka::test
