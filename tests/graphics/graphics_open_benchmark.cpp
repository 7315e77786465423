// How long the graphics button takes to show its dialog, against the DirectDraw
// enumeration that it cannot avoid.
//
//  run:  RunGraphicSettings as the launcher calls it, from the call to the moment
//        the graphic dialog is shown (the file read, the catalogue built and
//        resolved, the dialog created and filled); the dialog is then cancelled.
//  bare: the same DirectDraw / Direct3D calls with nothing kept: drivers, a
//        DirectDraw and Direct3D object each, both capability records, every
//        display mode and every 3D device, released again.
//  template: what the window system charges for the dialog alone: template 105
//        with a procedure that does nothing, from DialogBoxParamW to shown.
//        Under Wine on Xvfb this is tens of milliseconds (each drop-down list
//        makes windows of its own); on Windows it is a few.
// And where the run's time goes, to compare with the two above:
//  catalogue: the run's own enumeration (EnumerateDisplayDevices) and its release;
//  filled dialog: template 105 with the real procedure over a built catalogue,
//        to shown.
//
// Not a test: run it under the same Wine as the tests, on an X display:
//   wine-run.sh tests/graphics/graphics_open_benchmark.exe [rounds]
// Exit code 0 when run / bare stays under 1.2, 2 when it does not, 1 when the
// dialog was never shown.
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/display_catalogue.h"
#include "graphics/graphic_settings_dialog.h"
#include "graphics/graphic_settings_file.h"
#include "program/program_directory.h"
#include "program/program_instance.h"
#include "tests/graphics/benchmark_clock.h"

namespace {

// Lets the display finish with the dialog that was just closed (the X server and
// Wine's desktop process are still tearing it down) before the next step is
// timed, so that no step pays for the one before it. A window manager's withdraw
// wait used to give that time; the test display has none.
void Settle() { Sleep(150); }

// ---- the bare enumeration -------------------------------------------------------
struct BareCounts {
  int drivers = 0;
  int modes = 0;
  int devices = 0;
};

HRESULT WINAPI CountMode(LPDDSURFACEDESC2, LPVOID context) {
  ++static_cast<BareCounts*>(context)->modes;
  return DDENUMRET_OK;
}

HRESULT WINAPI CountDevice(LPSTR, LPSTR, LPD3DDEVICEDESC7, LPVOID context) {
  ++static_cast<BareCounts*>(context)->devices;
  return D3DENUMRET_OK;
}

BOOL WINAPI CountDriver(GUID* guid, LPSTR, LPSTR, LPVOID context, HMONITOR) {
  BareCounts& counts = *static_cast<BareCounts*>(context);
  IDirectDraw7* directDraw = nullptr;
  if (DirectDrawCreateEx(guid, reinterpret_cast<LPVOID*>(&directDraw), IID_IDirectDraw7,
                         nullptr) != DD_OK)
    return DDENUMRET_OK;
  IDirect3D7* direct3D = nullptr;
  if (FAILED(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D)))) {
    directDraw->Release();
    return DDENUMRET_OK;
  }
  ++counts.drivers;
  DDCAPS_DX7 hardware = {}, emulation = {};
  hardware.dwSize = emulation.dwSize = sizeof(DDCAPS_DX7);
  directDraw->GetCaps(reinterpret_cast<LPDDCAPS>(&hardware), reinterpret_cast<LPDDCAPS>(&emulation));
  directDraw->EnumDisplayModes(0, nullptr, &counts, CountMode);
  direct3D->EnumDevices(CountDevice, &counts);
  directDraw->Release();
  direct3D->Release();
  return DDENUMRET_OK;
}

BareCounts BareEnumeration() {
  BareCounts counts;
  DirectDrawEnumerateExA(CountDriver, &counts,
                         DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES |
                             DDENUM_NONDISPLAYDEVICES);
  return counts;
}

// ---- the run, up to its dialog being shown ----------------------------------------
// The modal loop tells the owner (the launcher, here a window of the benchmark)
// with WM_ENTERIDLE once it has shown the dialog and found nothing left to do.
// Hooks would tell the moment too, but they slow every message under Wine.
double shownAt = 0;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ENTERIDLE && wParam == MSGF_DIALOGBOX && shownAt == 0) {
    HWND dialog = reinterpret_cast<HWND>(lParam);
    if (IsWindowVisible(dialog)) {
      shownAt = BenchmarkNow();
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeOwner() {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = OwnerProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"VelmoraBenchmarkOwner";
  RegisterClassW(&windowClass);
  return CreateWindowW(L"VelmoraBenchmarkOwner", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr,
                       nullptr, windowClass.hInstance, nullptr);
}

// Fills nothing; only ends on Cancel.
INT_PTR CALLBACK EndOnCancel(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  return message == WM_INITDIALOG;
}

double TimeTemplateUntilShown(HWND owner) {
  shownAt = 0;
  double start = BenchmarkNow();
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(105), owner, EndOnCancel, 0);
  return shownAt > 0 ? shownAt - start : -1;
}

double TimeFilledDialogUntilShown(HWND owner) {
  shownAt = 0;
  CurrentDeviceRow = GraphicSettings.device;
  double start = BenchmarkNow();
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(105), owner,
                  GraphicSettingsDialogProc, 0);
  return shownAt > 0 ? shownAt - start : -1;
}

double TimeCatalogue() {
  double start = BenchmarkNow();
  EnumerateDisplayDevices();
  ReleaseDisplayDevices();
  return BenchmarkNow() - start;
}

double TimeRunUntilShown(HWND owner) {
  shownAt = 0;
  double start = BenchmarkNow();
  RunGraphicSettings(owner);
  return shownAt > 0 ? shownAt - start : -1;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::atoi(argv[1]) : 10;
  if (rounds < 1) rounds = 1;
  RegisterDialogControlClasses();
  ProgramInstance = GetModuleHandleW(nullptr);
  // A program directory of its own, with no settings file: the first-run case.
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  std::wstring directory = std::wstring(folder) + L"velmora-graphics-benchmark\\";
  CreateDirectoryW(directory.c_str(), nullptr);
  CreateDirectoryW((directory + L"config").c_str(), nullptr);
  SetProgramDirectory(directory.c_str(), false, L"");

  // One round of each first, so neither pays for loading the DirectX libraries.
  BareCounts counts = BareEnumeration();
  HWND owner = MakeOwner();
  if (TimeRunUntilShown(owner) < 0) {
    std::printf("the graphic dialog was not shown (no hardware 3D device?)\n");
    return 1;
  }
  TimeTemplateUntilShown(owner);
  std::vector<double> bare, run, dialogOnly, catalogue, filled;
  for (int i = 0; i < rounds; ++i) {
    Settle();
    double start = BenchmarkNow();
    BareEnumeration();
    bare.push_back(BenchmarkNow() - start);
    Settle();
    run.push_back(TimeRunUntilShown(owner));
    Settle();
    dialogOnly.push_back(TimeTemplateUntilShown(owner));
    Settle();
    catalogue.push_back(TimeCatalogue());
  }
  // The filled dialog needs a catalogue and resolved settings, as the run has them.
  EnumerateDisplayDevices();
  for (int i = 0; i < rounds; ++i) {
    Settle();
    filled.push_back(TimeFilledDialogUntilShown(owner));
  }
  ReleaseDisplayDevices();
  double bareMedian = Median(bare), runMedian = Median(run), dialogMedian = Median(dialogOnly);
  std::printf("machine: %d drivers, %d display modes, %d 3D devices; %d rounds\n", counts.drivers,
              counts.modes, counts.devices, rounds);
  std::printf("bare DirectDraw enumeration: median %.2f ms (min %.2f, max %.2f)\n", bareMedian,
              *std::min_element(bare.begin(), bare.end()), *std::max_element(bare.begin(), bare.end()));
  std::printf("button press to dialog shown: median %.2f ms (min %.2f, max %.2f)\n", runMedian,
              *std::min_element(run.begin(), run.end()), *std::max_element(run.begin(), run.end()));
  std::printf("template 105 alone, empty procedure, to shown: median %.2f ms\n", dialogMedian);
  std::printf("the run's parts: catalogue %.2f ms, filled dialog to shown %.2f ms\n",
              Median(catalogue), Median(filled));
  std::printf("ratio run / bare: %.3f (limit 1.2)\n", runMedian / bareMedian);
  std::printf("ratio (run - template alone) / bare: %.3f\n", (runMedian - dialogMedian) / bareMedian);
  DestroyWindow(owner);
  RemoveDirectoryW((directory + L"config").c_str());
  RemoveDirectoryW(directory.c_str());
  return runMedian / bareMedian < 1.2 ? 0 : 2;
}
