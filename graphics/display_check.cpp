#include "graphics/display_check.h"

#include <cstring>

#include "graphics/display_check_steps.h"
#include "graphics/graphic_settings_dialog.h"
#include "program/dialog_font.h"
#include "program/program_instance.h"

namespace {

// Between two frames when the flip does not wait for the screen.
constexpr DWORD kFramePeriod = 16;

GraphicsTestScene* SceneOf(HWND window) {
  return reinterpret_cast<GraphicsTestScene*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void EndWith(GraphicsTestScene* scene, bool confirmed) {
  if (scene == nullptr || scene->answered) return;
  scene->answered = true;
  scene->confirmed = confirmed;
}

// ---- The test ----------------------------------------------------------------------

// Between two looks at a screen another program holds.
constexpr DWORD kWaitPeriod = 50;

template <typename Interface>
void ReleaseObject(Interface*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}

// The first line: the device and the mode as the lists show them, with the
// depth drawn in (a window keeps the desktop's).
void DescribeChoice(GraphicsTestScene& scene) {
  wchar_t name[kDisplayNameSize];
  if (MultiByteToWideChar(CP_ACP, 0, scene.entry->name, -1, name, kDisplayNameSize) == 0)
    name[0] = L'\0';
  DisplayModeEntry mode;
  std::memset(&mode, 0, sizeof mode);
  mode.dwWidth = static_cast<DWORD>(scene.choice->width);
  mode.dwHeight = static_cast<DWORD>(scene.choice->height);
  mode.ddpfPixelFormat.dwRGBBitCount = static_cast<DWORD>(scene.drawnDepth);
  char modeText[kModeTextSize];
  FormatModeText(mode, modeText, sizeof modeText);
  wsprintfW(scene.lines[0], L"%s \x2014 %S", name, modeText);
}

// The fourth line, from the parts that apply, in their order.
void DescribeTextures(GraphicsTestScene& scene) {
  const GraphicsTestTexts& texts = *scene.choice->texts;
  wchar_t* line = scene.lines[3];
  wsprintfW(line, texts.textures, scene.textureBits);
  auto append = [line](const wchar_t* part) {
    int used = lstrlenW(line);
    lstrcpynW(line + used, part, kGraphicsTestLineSize - used);
  };
  if (scene.choice->multiTexture) append(scene.twoStagesMissing ? texts.twoStagesMissing : texts.twoStages);
  if (scene.choice->compressed) append(scene.compressedMissing ? texts.compressedMissing : texts.compressed);
}

// The width the lines may take: what the overlay shows, less the margins.
int LineRoom(const GraphicsTestScene& scene) {
  DWORD shown = GraphicsTestOverlayWidth(scene);
  if (shown > static_cast<DWORD>(scene.choice->width)) shown = static_cast<DWORD>(scene.choice->width);
  return static_cast<int>(shown) - 2 * kGraphicsTestLineMargin;
}

int LineWidth(HDC dc, const wchar_t* line) {
  SIZE size = {0, 0};
  GetTextExtentPoint32W(dc, line, lstrlenW(line), &size);
  return size.cx;
}

// Lines `first` to `last` - 1 cut to the room, with "…", where the font
// cannot shrink them further.
void CutLines(GraphicsTestScene& scene, int first, int last) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, scene.font);
  const int room = LineRoom(scene);
  for (int i = first; i < last; ++i) {
    wchar_t* line = scene.lines[i];
    if (LineWidth(dc, line) <= room) continue;
    int fit = 0;
    SIZE size;
    GetTextExtentExPointW(dc, line, lstrlenW(line), room - LineWidth(dc, L"\x2026"), &fit, nullptr,
                          &size);
    while (fit > 0 && line[fit - 1] == L' ') --fit;
    line[fit] = L'\x2026';
    line[fit + 1] = L'\0';
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
}

// The lines' font: a 28th of the screen's height (14 px at least), shrunk
// until the widest line fits, down to the smallest size; then whatever is
// still too wide is cut. The face is the dialogs', which has their glyphs.
void FitLines(GraphicsTestScene& scene) {
  DialogFontFacts facts;
  DescribeDialogFont(ProgramInstance, facts);
  LOGFONTW font;
  std::memset(&font, 0, sizeof font);
  font.lfWeight = FW_BOLD;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = ANTIALIASED_QUALITY;
  lstrcpynW(font.lfFaceName, facts.used, LF_FACESIZE);
  // The countdown as wide as it gets.
  wsprintfW(scene.lines[2], scene.choice->texts->countdown, 10);
  const int room = LineRoom(scene);
  int height = scene.choice->height / 28;
  if (height < 14) height = 14;
  HDC dc = CreateCompatibleDC(nullptr);
  for (;;) {
    font.lfHeight = -height;
    scene.font = CreateFontIndirectW(&font);
    if (scene.font == nullptr) break;
    HGDIOBJ previous = SelectObject(dc, scene.font);
    int widest = 0;
    for (int i = 0; i < kGraphicsTestLines; ++i) {
      int width = LineWidth(dc, scene.lines[i]);
      if (width > widest) widest = width;
    }
    SelectObject(dc, previous);
    if (widest <= room || height <= kGraphicsTestSmallestFont) break;
    // Widths follow the height nearly in proportion; the next round checks.
    int next = room > 0 ? height * room / widest : 0;
    height = next >= height ? height - 1 : next < kGraphicsTestSmallestFont ? kGraphicsTestSmallestFont : next;
    DeleteObject(scene.font);
  }
  DeleteDC(dc);
  CutLines(scene, 0, kGraphicsTestLines);
}

// Everything made, in the reverse order of its making, then the display mode
// and the cooperative level put back before the window goes.
void ReleaseScene(GraphicsTestScene& scene, bool modeSet, bool levelSet) {
  ReleaseObject(scene.overlay);
  ReleaseObject(scene.compressedTexture);
  ReleaseObject(scene.secondTexture);
  ReleaseObject(scene.texture);
  ReleaseObject(scene.device);
  ReleaseObject(scene.zBuffer);
  ReleaseObject(scene.back);
  ReleaseObject(scene.clipper);
  ReleaseObject(scene.primary);
  if (scene.directDraw != nullptr) {
    if (modeSet) scene.directDraw->RestoreDisplayMode();
    if (levelSet) scene.directDraw->SetCooperativeLevel(scene.window, DDSCL_NORMAL);
  }
  ReleaseObject(scene.direct3D);
  ReleaseObject(scene.directDraw);
  if (scene.font != nullptr) DeleteObject(scene.font);
  scene.font = nullptr;
}

GraphicsTestOutcome Failed(GraphicsTestStep step, HRESULT code) {
  return GraphicsTestOutcome{GraphicsTestEnd::kFailed, step, FAILED(code) ? code : E_FAIL};
}

// Messages for every window of the thread; false when the process is asked to
// quit (the request is passed on to the loop above).
bool PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

// Once DirectDraw gives the screen back to the window: the lost surfaces
// restored, the textures that lost their pixels painted again, and S_OK.
// S_FALSE while it does not yet (another program holds it, or the mode is
// not back); a failure's code when the restore failed with the screen ours,
// or when a frame said its surfaces were lost (`frameFailed`) and none is.
HRESULT ReclaimScreen(GraphicsTestScene& scene, bool frameFailed) {
  HRESULT level = scene.directDraw->TestCooperativeLevel();
  if (level == DDERR_NOEXCLUSIVEMODE || level == DDERR_EXCLUSIVEMODEALREADYSET ||
      level == DDERR_WRONGMODE)
    return S_FALSE;
  if (FAILED(level)) return level;
  IDirectDrawSurface7* const screen[] = {scene.primary, scene.back, scene.zBuffer};
  IDirectDrawSurface7* const textures[] = {scene.texture, scene.secondTexture,
                                           scene.compressedTexture, scene.overlay};
  bool lost = false, texturesLost[4];
  for (IDirectDrawSurface7* surface : screen)
    if (surface != nullptr && surface->IsLost() == DDERR_SURFACELOST) lost = true;
  for (int i = 0; i < 4; ++i) {
    texturesLost[i] = textures[i] != nullptr && textures[i]->IsLost() == DDERR_SURFACELOST;
    if (texturesLost[i]) lost = true;
  }
  if (!lost) return frameFailed ? DDERR_SURFACELOST : S_OK;
  HRESULT restored = scene.directDraw->RestoreAllSurfaces();
  // Just after the window is back the mode may not be: DirectDraw says so, or
  // (Wine) answers DD_OK and leaves the primary lost.
  if (restored == DDERR_WRONGMODE ||
      (SUCCEEDED(restored) && scene.primary->IsLost() == DDERR_SURFACELOST))
    return S_FALSE;
  if (FAILED(restored)) return restored;
  return RefillGraphicsTestTextures(scene, texturesLost);
}

// Frames until an answer, the time limit or a failed frame. The player has
// ten seconds from the first frame, but the test lasts no longer than eleven
// from the press however slowly the screen came up: a monitor left dark must
// not keep the desktop from its own mode any longer than promised. A first
// frame that would come later than that never comes.
GraphicsTestOutcome RunFrames(GraphicsTestScene& scene, const GraphicsTestSteps& steps,
                              DWORD started) {
  DWORD firstFrame = 0, deadline = 0;  // ms from the start
  bool frameFailed = false;
  for (;;) {
    if (!PumpMessages()) EndWith(&scene, false);
    if (scene.answered) break;
    DWORD frameStart = steps.now() - started;
    if (!scene.firstFrameShown) {
      if (frameStart >= kGraphicsTestLongest) break;
      deadline = frameStart + kGraphicsTestAnswerTime;
      if (deadline > kGraphicsTestLongest) deadline = kGraphicsTestLongest;
    } else {
      scene.elapsed = frameStart - firstFrame;
      if (frameStart >= deadline) break;
    }
    // Another program came in front before anything showed (Alt+Tab during
    // the mode change): its turn first, then the surfaces are checked. At
    // full screen DirectDraw tells when the screen is back (ReclaimScreen); a
    // window waits to be active again, not to count down unseen.
    if (!scene.active && scene.choice->windowed) {
      steps.wait(kWaitPeriod);
      continue;
    }
    bool checked = false;
    if (scene.surfacesLost) {
      HRESULT back = ReclaimScreen(scene, frameFailed);
      if (back == S_FALSE) {
        steps.wait(kWaitPeriod);
        continue;
      }
      if (FAILED(back)) return Failed(GraphicsTestStep::kDrawing, back);
      scene.surfacesLost = frameFailed = false;
      checked = true;
    }
    int left = static_cast<int>((deadline - frameStart + 999) / 1000);
    if (left != scene.secondsLeft) {
      scene.secondsLeft = left;
      wsprintfW(scene.lines[2], scene.choice->texts->countdown, left);
      CutLines(scene, 2, 3);
      scene.linesChanged = true;
    }
    HRESULT drawn = steps.drawFrame(scene);
    // Surfaces lost under the frame are restored before the next one, unless
    // they had just been found whole.
    if (drawn == DDERR_SURFACELOST && !checked) {
      scene.surfacesLost = frameFailed = true;
      continue;
    }
    if (FAILED(drawn)) return Failed(GraphicsTestStep::kDrawing, drawn);
    ++scene.frames;
    if (!scene.firstFrameShown) {
      scene.firstFrameShown = true;
      scene.presentedAt = GetTickCount();
      firstFrame = frameStart;
    }
    DWORD spent = steps.now() - started - frameStart;
    if (spent < kFramePeriod) steps.wait(kFramePeriod - spent);
  }
  return GraphicsTestOutcome{scene.confirmed ? GraphicsTestEnd::kConfirmed
                                             : GraphicsTestEnd::kNotConfirmed,
                             GraphicsTestStep::kNone, S_OK};
}

GraphicsTestOutcome RunScene(GraphicsTestScene& scene, const GraphicsTestSteps& steps,
                             bool& modeSet, bool& levelSet) {
  const GraphicsTestChoice& choice = *scene.choice;
  DWORD started = steps.now();
  HRESULT result = steps.openWindow(scene);
  if (FAILED(result)) return Failed(GraphicsTestStep::kPreparing, result);
  result = DisplayPlatformCalls.createDirectDraw(scene.entry->driverGuidRef,
                                                 reinterpret_cast<LPVOID*>(&scene.directDraw),
                                                 IID_IDirectDraw7, nullptr);
  if (FAILED(result) || scene.directDraw == nullptr)
    return Failed(GraphicsTestStep::kPreparing, result);
  result = scene.directDraw->QueryInterface(IID_IDirect3D7,
                                            reinterpret_cast<void**>(&scene.direct3D));
  if (FAILED(result) || scene.direct3D == nullptr)
    return Failed(GraphicsTestStep::kPreparing, result);
  scene.drawnDepth = choice.colorDepth;
  if (choice.windowed) {
    DDSURFACEDESC2 desktop;
    ClearSurfaceDesc(desktop);
    result = scene.directDraw->GetDisplayMode(&desktop);
    if (FAILED(result)) return Failed(GraphicsTestStep::kPreparing, result);
    scene.drawnDepth = static_cast<int>(desktop.ddpfPixelFormat.dwRGBBitCount);
  }
  DescribeChoice(scene);
  DWORD level = choice.windowed ? DDSCL_NORMAL : DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN;
  result = scene.directDraw->SetCooperativeLevel(scene.window, level);
  if (FAILED(result)) return Failed(GraphicsTestStep::kPreparing, result);
  levelSet = !choice.windowed;
  if (!choice.windowed) {
    result = scene.directDraw->SetDisplayMode(static_cast<DWORD>(choice.width),
                                              static_cast<DWORD>(choice.height),
                                              static_cast<DWORD>(choice.colorDepth), 0, 0);
    // A failed change may have changed something all the same: put it back too.
    modeSet = true;
    if (FAILED(result)) return Failed(GraphicsTestStep::kDisplayMode, result);
  }
  result = steps.makeScreen(scene);
  if (FAILED(result)) return Failed(GraphicsTestStep::kScreen, result);
  result = steps.makeDevice(scene);
  if (FAILED(result)) return Failed(GraphicsTestStep::kDevice, result);
  result = steps.makeTextures(scene);
  if (FAILED(result)) return Failed(GraphicsTestStep::kTextures, result);
  DescribeTextures(scene);
  FitLines(scene);
  result = steps.makeOverlay(scene);
  if (FAILED(result)) return Failed(GraphicsTestStep::kTextures, result);
  return RunFrames(scene, steps, started);
}

// What a player does before the first frame is no answer to it: the click
// that pressed "테스트" a moment too long, the second click of a double click.
bool Answerable(const GraphicsTestScene* scene) {
  return scene != nullptr && scene->firstFrameShown &&
         static_cast<LONG>(static_cast<DWORD>(GetMessageTime()) - scene->presentedAt) >= 0;
}

// Losing the activation after the first frame is an answer: the player went
// elsewhere. Before it, the screen may have been taken: the test waits for
// its turn and checks the surfaces then.
void Deactivated(GraphicsTestScene* scene) {
  if (scene == nullptr) return;
  scene->active = false;
  if (scene->firstFrameShown)
    EndWith(scene, false);
  else
    scene->surfacesLost = true;
}

// From the first frame until the objects go, the frames cover the window.
bool FramesShowing(const GraphicsTestScene* scene) {
  return scene != nullptr && scene->firstFrameShown && scene->directDraw != nullptr;
}

}  // namespace

GraphicsTestSteps GraphicsTestCalls = RealGraphicsTestSteps();

LRESULT CALLBACK GraphicsTestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  GraphicsTestScene* scene = SceneOf(window);
  switch (message) {
    case WM_NCCREATE: {
      const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      return DefWindowProcW(window, message, wParam, lParam);
    }
    case WM_KEYDOWN:
      // Bit 30: the key was already down, a repeat or a key still held from
      // the press that started the test. Only a fresh press answers.
      if ((lParam & (1L << 30)) != 0) return 0;
      if ((wParam == VK_RETURN || wParam == VK_SPACE) && Answerable(scene)) EndWith(scene, true);
      if (wParam == VK_ESCAPE) EndWith(scene, false);
      return 0;
    case WM_LBUTTONDOWN:  // a click with any button: the player saw the window
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (Answerable(scene)) EndWith(scene, true);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        Deactivated(scene);
      } else if (scene != nullptr) {
        scene->active = true;
        // Keys go to the focus, which the deactivation took; DefWindowProc
        // gives none to a window the full screen minimized meanwhile.
        SetFocus(window);
      }
      return 0;
    case WM_ACTIVATEAPP:
      if (wParam == FALSE) Deactivated(scene);
      return 0;
    case WM_CLOSE:  // Alt+F4
      EndWith(scene, false);
      return 0;
    case WM_ERASEBKGND:
      // Black (the class's brush) before the first frame and once the frames
      // stop, never the desktop's old pixels; the frames cover it meanwhile.
      if (FramesShowing(scene)) return 1;
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_SETCURSOR:
      if (scene != nullptr && !scene->choice->windowed && LOWORD(lParam) == HTCLIENT) {
        SetCursor(nullptr);
        return TRUE;
      }
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

GraphicsTestOutcome RunGraphicsTest(HWND owner, const GraphicsTestChoice& choice) {
  if (choice.device < 0 || choice.device >= DisplayDeviceCatalogue.count || choice.texts == nullptr)
    return Failed(GraphicsTestStep::kPreparing, E_INVALIDARG);
  const GraphicsTestSteps steps = GraphicsTestCalls;
  GraphicsTestScene scene;
  std::memset(&scene, 0, sizeof scene);
  scene.choice = &choice;
  scene.entry = &DisplayDeviceCatalogue.entries[choice.device];
  scene.secondsLeft = -1;
  lstrcpynW(scene.lines[1], choice.texts->prompt, kGraphicsTestLineSize);
  // As for any modal window: the settings stay where they are, disabled.
  if (owner != nullptr) EnableWindow(owner, FALSE);
  bool modeSet = false, levelSet = false;
  GraphicsTestOutcome outcome = RunScene(scene, steps, modeSet, levelSet);
  ReleaseScene(scene, modeSet, levelSet);
  // Black while it goes, not the last frame.
  if (scene.window != nullptr)
    RedrawWindow(scene.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  // The test window has no owner: as it goes, the system activates another
  // window of its choosing, never a disabled one and perhaps another
  // program's. So the settings are enabled first, then brought to the front
  // and activated themselves.
  if (owner != nullptr) EnableWindow(owner, TRUE);
  if (scene.window != nullptr) DestroyWindow(scene.window);
  if (owner != nullptr) {
    SetForegroundWindow(owner);
    SetActiveWindow(owner);
  }
  return outcome;
}
