#pragma once

// Running the modal dialogs under the offscreen platform: a test schedules
// what the person does, then calls Run(); the steps run once the dialog's
// own loop has started, as a person's clicks would.

#include "ui/dialogs/qt/QtDialogEnvironment.h"
#include "ui/skin/ResourceArchive.h"

#include "support/FakePlatformDialogs.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace bm::dialogs::test {

QApplication& App();

// Runs `steps` on the modal dialog as soon as it is up.
void WhenModal(std::function<void(QDialog&)> steps);

template <typename T>
T* Child(QWidget& dialog, const char* name)
{
    T* child = dialog.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// Replaces a field's text the way typing over a selection does.
void TypeInto(QWidget& dialog, const char* name, const QString& text);
void Click(QWidget& dialog, const char* name);
void PressF1(QWidget& dialog);

// The environment with fakes, and an archive holding the given text lists.
struct Environment {
    bm::test::TempDir dir;
    bm::test::FakePlatformDialogs dialogs;
    platform::RecordingShell shell;
    engine::RecordingEngineClient engine;
    std::unique_ptr<ResourceArchive> archive;
    QtDialogEnvironment env;

    explicit Environment(std::initializer_list<std::pair<std::string, std::string>> textLists = {});
    std::string HelpPath(const char* page) const { return dir.Path() + "HTMLHelp/" + page; }
};

} // namespace bm::dialogs::test
