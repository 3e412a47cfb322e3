// The Win32 building blocks through real windows: the images from the linked resources, a form's
// client size, default control sizes, commands from inside a group box, and the modal loop
// (dialog keys, other windows disabled meanwhile and enabled again).
#include "common/win32/Win32Controls.h"
#include "tray/ui/win32/Win32Images.h"

#include <gtest/gtest.h>

namespace pellmar::test {
namespace {

using namespace win32ui;

constexpr int kInnerButton = 101;

class RecordingForm final : public FormHandler {
public:
    explicit RecordingForm(const std::string& caption, int width = 300, int height = 200, POINT at = {}) {
        FormFrame frame;
        frame.caption = caption;
        frame.clientWidth = width;
        frame.clientHeight = height;
        frame.left = at.x;
        frame.top = at.y;
        window = CreateForm(frame, *this);
    }
    ~RecordingForm() { DestroyForm(window); }

    LRESULT HandleMessage(HWND form, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) commands.push_back(LOWORD(wParam));
        return DefWindowProcW(form, message, wParam, lParam);
    }

    HWND window = nullptr;
    std::vector<int> commands;
};

SIZE SizeOf(HWND window) {
    RECT place{};
    GetWindowRect(window, &place);
    return {place.right - place.left, place.bottom - place.top};
}

TEST(Win32FoundationTest, ImagesComeFromTheLinkedResources) {
    HICON icon = LoadTrayIcon();
    ASSERT_NE(icon, nullptr);
    ICONINFO parts{};
    ASSERT_TRUE(GetIconInfo(icon, &parts));
    BITMAP colour{};
    GetObjectW(parts.hbmColor, sizeof(colour), &colour);
    EXPECT_EQ(colour.bmWidth, 16);
    EXPECT_EQ(colour.bmHeight, 16);
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
    DestroyIcon(icon);

    HIMAGELIST images = LoadLogImageList();
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 3);
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(images, &width, &height);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 16);
    ImageList_Destroy(images);
}

TEST(Win32FoundationTest, FormsAndControlsTakeTheirPixelGeometry) {
    RecordingForm form("Geometry", 483, 360);
    ASSERT_NE(form.window, nullptr);
    RECT client{};
    GetClientRect(form.window, &client);
    EXPECT_EQ(client.right, 483);
    EXPECT_EQ(client.bottom, 360);
    EXPECT_EQ(ControlText(form.window), "Geometry");

    HWND button = AddControl(form.window, L"BUTTON", "Add", BS_PUSHBUTTON, 168, 132, kDefaultSize, kDefaultSize, 1);
    EXPECT_EQ(SizeOf(button).cx, kButtonWidth);
    EXPECT_EQ(SizeOf(button).cy, kButtonHeight);
    HWND box = AddControl(form.window, L"EDIT", "", WS_BORDER, 12, 32, 385, kDefaultSize, 2);
    EXPECT_EQ(SizeOf(box).cx, 385);
    EXPECT_GT(SizeOf(box).cy, 10);

    HWND shortLabel = AddControl(form.window, L"STATIC", "Type:", 0, 8, 16, kDefaultSize, kDefaultSize, 0);
    HWND longLabel =
        AddControl(form.window, L"STATIC", "Destination File: a longer text", 0, 8, 36, kDefaultSize, kDefaultSize, 0);
    EXPECT_GT(SizeOf(shortLabel).cx, 0);
    EXPECT_GT(SizeOf(longLabel).cx, 2 * SizeOf(shortLabel).cx);
    SetControlText(shortLabel, "Destination File: a longer text");
    FitToText(shortLabel);
    EXPECT_EQ(SizeOf(shortLabel).cx, SizeOf(longLabel).cx);
    EXPECT_EQ(ControlText(shortLabel), "Destination File: a longer text");

    HWND check = AddControl(form.window, L"BUTTON", "Monitor SubFolders", BS_AUTOCHECKBOX, 12, 260, kDefaultSize,
                            kDefaultSize, 3);
    EXPECT_GT(SizeOf(check).cx, SizeOf(shortLabel).cx / 3);
    EXPECT_EQ(SizeOf(check).cy, 17);
    EXPECT_EQ(ControlFont(10), ControlFont(10));
    EXPECT_NE(ControlFont(10), ControlFont(10, true));
}

// A screen smaller than the fixed positions assume (or one scaled up) would leave a window's
// lower right part, its buttons, off screen.
TEST(Win32FoundationTest, AFormAtAFixedPositionEndsWhollyOnTheScreen) {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RecordingForm fits("Fits", 319, 106, {area.left + 20, area.top + 30});
    ASSERT_NE(fits.window, nullptr);
    RECT frame{};
    GetWindowRect(fits.window, &frame);
    EXPECT_EQ(frame.left, area.left + 20);
    EXPECT_EQ(frame.top, area.top + 30);

    RecordingForm beyond("Beyond", 593, 527, {area.right - 100, area.bottom - 50});
    ASSERT_NE(beyond.window, nullptr);
    GetWindowRect(beyond.window, &frame);
    EXPECT_EQ(frame.right, area.right);  // moved, never shrunk: the window fits the area
    EXPECT_EQ(frame.bottom, area.bottom);
    EXPECT_GT(frame.right - frame.left, 593);
}

TEST(Win32FoundationTest, ControlsInsideAGroupBoxReportToTheForm) {
    RecordingForm form("Group");
    ASSERT_NE(form.window, nullptr);
    HWND group = AddGroupBox(form.window, "Event Detail ", 4, 4, 280, 150, 8);
    HWND inner = AddControl(group, L"BUTTON", "Cancel Operation", BS_PUSHBUTTON, 10, 16, 101, kDefaultSize,
                            kInnerButton);
    SendMessageW(inner, BM_CLICK, 0, 0);
    ASSERT_EQ(form.commands.size(), 1u);
    EXPECT_EQ(form.commands[0], kInnerButton);
}

TEST(Win32FoundationTest, ModalLoopHandsEnterToOkAndDisablesTheOtherWindowsMeanwhile) {
    RecordingForm owner("Owner");
    RecordingForm other("Other");
    RecordingForm dialog("Dialog");
    ASSERT_TRUE(owner.window && other.window && dialog.window);
    HWND text = AddControl(dialog.window, L"EDIT", "typed", WS_BORDER | WS_TABSTOP, 4, 4, 200, kDefaultSize, 7);
    bool ownerWasEnabled = true;
    bool otherWasEnabled = true;
    // Queued before the loop starts: Enter in the text box, then a probe of the other windows.
    PostMessageW(text, WM_KEYDOWN, VK_RETURN, 0);
    RunModal(dialog.window, owner.window, [&] {
        if (dialog.commands.empty()) return false;
        ownerWasEnabled = IsWindowEnabled(owner.window) != FALSE;
        otherWasEnabled = IsWindowEnabled(other.window) != FALSE;
        return true;
    });
    ASSERT_EQ(dialog.commands.size(), 1u);
    EXPECT_EQ(dialog.commands[0], IDOK);
    EXPECT_FALSE(ownerWasEnabled);
    EXPECT_FALSE(otherWasEnabled);
    EXPECT_TRUE(IsWindowEnabled(owner.window));
    EXPECT_TRUE(IsWindowEnabled(other.window));
    EXPECT_FALSE(IsWindowVisible(dialog.window));
}

TEST(Win32FoundationTest, ModalLoopLeavesAQuitForTheOuterLoop) {
    RecordingForm dialog("Dialog");
    ASSERT_NE(dialog.window, nullptr);
    PostQuitMessage(3);
    RunModal(dialog.window, nullptr, [] { return false; });
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
}

}  // namespace
}  // namespace pellmar::test
