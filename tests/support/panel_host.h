// A base for fixtures that put one panel or control on a shown top-level form.
// The form and a temp folder belong to the suite, not to each test: making and
// destroying shown forms costs seconds under Wine.
#pragma once
#include <gtest/gtest.h>

#include "support/win32_test_util.h"
#include "toolkit/form.h"

namespace testing_support {

class PanelHost : public ::testing::Test {
protected:
    struct HostParams {
        const char* caption = "velmora";
        int width = 640;
        int height = 480;
        bool foreground = false; // made the foreground window (keys and focus go to it)
        int left = CW_USEDEFAULT, top = CW_USEDEFAULT; // the system places it unless given
    };
    // Initialises the application, then makes the folder and shows the form.
    // For the suite's SetUpTestSuite.
    static void OpenHost(const HostParams& params);
    // Removes the form and the folder. For the suite's TearDownTestSuite.
    static void CloseHost();

    static tk::TForm* form;
    static TempFolder* folder;
};

} // namespace testing_support
