// The input manager with the system's own DirectInput (Wine's on this machine):
// the keyboard opens and reads, no controller is attached.
#include <gtest/gtest.h>

#include <windows.h>

#include "controls/input_manager.h"

namespace {

// The control dialog's stand-in: a plain hidden window of this thread.
class OwnerWindow {
 public:
  OwnerWindow()
      : window_(CreateWindowExA(0, "STATIC", "input manager test", WS_OVERLAPPED, 0, 0, 100, 100,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)) {}
  ~OwnerWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

void SendKey(WORD scanCode, bool down) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = scanCode;
  input.ki.dwFlags = KEYEVENTF_SCANCODE | (down ? 0 : KEYEVENTF_KEYUP);
  SendInput(1, &input, sizeof input);
}

// Polls until the key's byte has the wanted high bit, for at most about 2 s.
bool PollUntilKey(InputManager& m, int key, bool down) {
  for (int i = 0; i < 200; ++i) {
    PumpMessages();
    EXPECT_TRUE(m.PollDevices());
    if (((m.keyboardState[key] & 0x80) != 0) == down) return true;
    Sleep(10);
  }
  return false;
}

TEST(InputManagerSystemTest, OpensTheKeyboardWithoutControllersAndReadsIt) {
  // Nothing has loaded DirectInput yet: the manager's first Initialize does.
  EXPECT_EQ(nullptr, GetModuleHandleA("dinput.dll"));
  OwnerWindow owner;
  ASSERT_NE(nullptr, owner.get());

  InputManager m;
  ASSERT_TRUE(m.Initialize(GetModuleHandleA(nullptr), owner.get()));
  EXPECT_NE(nullptr, m.directInput);
  EXPECT_NE(nullptr, m.keyboardDevice);
  EXPECT_NE(nullptr, GetModuleHandleA("dinput.dll"));
  EXPECT_EQ(owner.get(), m.ownerWindow);
  EXPECT_EQ(0, m.joystickCount) << "this machine has no game controller";

  // No controller: reads the keyboard only, with any current index.
  EXPECT_TRUE(m.PollDevices());
  m.currentJoystick = 0;
  EXPECT_TRUE(m.PollDevices());
  m.currentJoystick = -1;

  // A key pressed through the system reaches the keyboard state, and its
  // release clears it again: the bytes really come from the device.
  const int kLeftShift = DIK_LSHIFT;
  SendKey(kLeftShift, true);
  bool seenDown = PollUntilKey(m, kLeftShift, true);
  SendKey(kLeftShift, false);
  bool seenUp = PollUntilKey(m, kLeftShift, false);
  EXPECT_TRUE(seenDown) << "left Shift pressed, never read as down";
  EXPECT_TRUE(seenUp) << "left Shift released, still read as down";

  m.Shutdown();
  EXPECT_EQ(nullptr, m.directInput);
  EXPECT_EQ(nullptr, m.keyboardDevice);
  m.Shutdown();
  EXPECT_TRUE(m.PollDevices());
}

}  // namespace
