// An application as the main window runs it, without a window: the shell
// with the features installed, a recording screen, fake messages, dialogs,
// window host and fonts, and a data folder of its own. Tests of menu
// commands derive their fixtures from it and add the window parts they use.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/shell/features.h"
#include "app/settings/default_settings.h"
#include "app/edit/editor.h"
#include "app/edit/screen.h"
#include "app/window/shell_events.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_fonts.h"
#include "platform/fake_messages.h"
#include "platform/recording_surface.h"
#include "tests/support/temp_folder.h"

namespace rix::test {

struct CommandAppTest : ::testing::Test {
    FakeMessages messages;
    FakeDialogHost dialogs;
    FakeWindowHost host;
    FakeFonts fonts;
    TempFolder dir;
    Application app;
    ScreenState screen;
    RecordingSurface surface{800, 600};
    MenuTables menus;
    std::unique_ptr<ShellEvents> shell;

    void SetUp() override {
        build_default_settings(&app.settings.rec);
        app.host = &host;
        app.paths.program_folder = dir.path();
        app.loaded = std::make_unique<LoadedDocument>(std::string(), UINT64_MAX);
        app.hooks.rebuild_screen.set([this](Application& a) {
            rebuild_screen(a, screen, &surface, {}, fonts);
            editing_after_rebuild(a, screen);
        });
        shell = std::make_unique<ShellEvents>(app, nullptr, menus);
        app.window.screen = &screen;
        app.window.show_surface = [] {};
        install_features(app);
    }
};

}  // namespace rix::test
