#include "framework/Application.h"
#include "framework/MessageBox.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // No test may leave a box on the screen that nobody can answer.
    ShowMessageBoxHandler = [](HWND, const std::wstring&, const std::wstring&, UINT) { return IDOK; };
    TApplication application;
    application.SetTitle("Lullwick");
    return RUN_ALL_TESTS();
}
