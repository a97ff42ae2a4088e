#pragma once

#include "resources/ResourceStore.h"
#include "resources/ResourceText.h"
#include "support/ScriptedPrompter.h"

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

} // namespace zka::test
