// The fixture of the export command tests: a scratch folder, the Ui that records the boxes and
// dialogs, an English front panel and the frame sets the exports read.
#pragma once

#include "files/export_common.h"

#include "datafile_fake_ui.h"
#include "datafile_test_support.h"

#include <gtest/gtest.h>

namespace qs40::testing {

class ExportFixture : public ::testing::Test {
protected:
    TempFolder dir;
    FileCommandUi ui;
    ScopeState state;
    FrameSets frames;
    ExportContext context{{ui, state, frames}, "."};

    void SetUp() override { state.Common.Russian = false; }
};

} // namespace qs40::testing
