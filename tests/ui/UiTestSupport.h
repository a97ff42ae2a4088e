#pragma once

#include "resources/ResourceStore.h"
#include "resources/ResourceText.h"
#include "runtime/Clock.h"
#include "ui/seams/QtTimerService.h"
#include "support/RecordingDesktop.h"
#include "support/ScriptedPrompter.h"
#include "ui/lists/TargetCameraList.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

#include <cstdint>
#include <string>

// Qt Test entry point for the UI tests: without a display of their own they draw off screen.
#define ZKA_QTEST_MAIN(TestClass)                                 \
    int main(int argc, char** argv)                               \
    {                                                             \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))       \
            qputenv("QT_QPA_PLATFORM", "offscreen");              \
        QApplication app(argc, argv);                             \
        TestClass test;                                           \
        return QTest::qExec(&test, argc, argv);                   \
    }

namespace zka::test {

// The packaged texts, with a prompter that records any message of a missing text.
struct PackagedTexts {
    ScriptedPrompter prompter;
    ResourceText texts{embeddedResources(), prompter};

    QString display(std::uint16_t number) const;
};

// A stored text as the packaged store holds it: byte-order mark, UTF-16LE, NUL.
std::vector<std::uint8_t> storedText(const std::string& utf8);

// Puts a window on screen and makes it active, so that keyboard focus can be tested.
bool showActive(QWidget& window);

} // namespace zka::test

namespace zka::test {

// Clicks a button where its indicator or caption is, not at the centre: radio buttons and check
// boxes stretched by a layout react to clicks on their indicator and caption only.
void clickButton(QAbstractButton* button);

// Types text key by key into whichever widget has the keyboard focus at each key.
void typeIntoFocus(const QString& text);

// A double click as the window system delivers it: press, release, double click, release.
void doubleClick(QWidget* widget, QPoint position);

// What a target list or page needs, for tests that build one on its own: a clock at time scale
// 0.01, timers, the packaged texts with a prompter that records every message, a recording desktop
// and the model list.
struct ListSeams {
    explicit ListSeams(double timeScale = 0.01)
        : clock(timeScale)
    {
    }
    SystemClock clock;
    QtTimerService timers{clock};
    PackagedTexts packaged;
    RecordingDesktop desktop;
    SupportedModels models{"ZKA-QM410", "ZKA-QM410E", "ZKA-QM410P"};

    ScriptedPrompter& prompter() { return packaged.prompter; }
    TargetCameraList::Seams seams();
};

// A camera as discovery lists it: 127.0.0.host, MAC and serial derived from the host number.
TargetCameraList::CameraEntry cameraEntry(int host, int port = 80);

// Clicks a list row in the given column (the check box column is 0), with modifiers.
void clickRow(TargetCameraList& list, int row, int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// The colour of a row's strip in the middle of the row, right of the last column.
QColor stripColour(CameraListView& list, int row);

} // namespace zka::test
