#include "graphics/display_check_steps.h"

#include <cmath>
#include <cstring>

#include "program/program_instance.h"

namespace {

constexpr wchar_t kWindowClass[] = L"VelmoraGraphicTest";
constexpr wchar_t kWindowCaption[] = L"Velmora Graphic Test";
constexpr DWORD kTextureSide = 64;
constexpr DWORD kFourCcDxt1 = MAKEFOURCC('D', 'X', 'T', '1');

// ---- The window ---------------------------------------------------------------

// The monitor a secondary display driver drives, from the driver enumeration.
struct MonitorSearch {
  const GUID* driver;
  HMONITOR monitor;
};

BOOL WINAPI FindDriverMonitor(GUID* guid, LPSTR, LPSTR, LPVOID context, HMONITOR monitor) {
  MonitorSearch& search = *static_cast<MonitorSearch*>(context);
  if (guid != nullptr && IsEqualGUID(*guid, *search.driver)) {
    search.monitor = monitor;
    return DDENUMRET_CANCEL;
  }
  return DDENUMRET_OK;
}

// The screen and work area of the device's display: the primary screen for
// the primary driver (or a driver that drives no desktop).
void DriverScreen(const DisplayDeviceEntry& entry, RECT& screen, RECT& work) {
  screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) work = screen;
  if (entry.driverGuidRef == nullptr) return;
  MonitorSearch search = {entry.driverGuidRef, nullptr};
  DisplayPlatformCalls.enumerateDrivers(FindDriverMonitor, &search,
                                        DDENUM_ATTACHEDSECONDARYDEVICES);
  MONITORINFO info;
  info.cbSize = sizeof info;
  if (search.monitor != nullptr && GetMonitorInfoW(search.monitor, &info)) {
    screen = info.rcMonitor;
    work = info.rcWork;
  }
}

// A windowed test's client area: the mode's size, scaled down evenly where
// its window would not fit the work area (each frame is stretched to it).
SIZE WindowedClient(const GraphicsTestChoice& choice, const RECT& work, DWORD style) {
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  LONGLONG roomX = (work.right - work.left) - (frame.right - frame.left);
  LONGLONG roomY = (work.bottom - work.top) - (frame.bottom - frame.top);
  LONGLONG x = choice.width, y = choice.height;
  if (x > roomX || y > roomY) {
    if (x * roomY > y * roomX) {
      y = y * roomX / x;
      x = roomX;
    } else {
      x = x * roomY / y;
      y = roomY;
    }
  }
  return SIZE{static_cast<LONG>(x), static_cast<LONG>(y)};
}

HRESULT OpenTestWindow(GraphicsTestScene& scene) {
  WNDCLASSEXW windowClass;
  std::memset(&windowClass, 0, sizeof windowClass);
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = GraphicsTestWindowProc;
  windowClass.hInstance = ProgramInstance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kWindowClass;
  // Registered by the first test; later ones find it there.
  if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return HRESULT_FROM_WIN32(GetLastError());
  const GraphicsTestChoice& choice = *scene.choice;
  DWORD style = WS_POPUP;
  DWORD extended = WS_EX_TOPMOST;
  RECT place, work;
  DriverScreen(*scene.entry, place, work);
  if (choice.windowed) {
    // No caption and no window menu: dragging the window or opening its menu
    // would run a modal loop, and the time limit with the frames would stop.
    style = WS_POPUP | WS_BORDER;
    extended = 0;
    SIZE size = WindowedClient(choice, work, style);
    RECT client = {0, 0, size.cx, size.cy};
    AdjustWindowRectEx(&client, style, FALSE, extended);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    place = {work.left + ((work.right - work.left) - width) / 2,
             work.top + ((work.bottom - work.top) - height) / 2, 0, 0};
    place.right = place.left + width;
    place.bottom = place.top + height;
  }
  scene.window = CreateWindowExW(extended, kWindowClass, kWindowCaption, style, place.left,
                                 place.top, place.right - place.left, place.bottom - place.top,
                                 nullptr, nullptr, ProgramInstance, &scene);
  if (scene.window == nullptr) return HRESULT_FROM_WIN32(GetLastError());
  ShowWindow(scene.window, SW_SHOW);
  SetForegroundWindow(scene.window);
  SetFocus(scene.window);
  return DD_OK;
}

// ---- The surfaces ----------------------------------------------------------------


HRESULT WINAPI FirstZBufferFormat(LPDDPIXELFORMAT format, LPVOID context) {
  DDPIXELFORMAT& chosen = *static_cast<DDPIXELFORMAT*>(context);
  if ((format->dwFlags & DDPF_ZBUFFER) == 0) return D3DENUMRET_OK;
  // The first one listed, unless a 16-bit one follows: the cheapest to clear.
  if (chosen.dwSize == 0 || format->dwZBufferBitDepth == 16) chosen = *format;
  return format->dwZBufferBitDepth == 16 ? D3DENUMRET_CANCEL : D3DENUMRET_OK;
}

HRESULT MakeZBuffer(GraphicsTestScene& scene) {
  DDPIXELFORMAT format;
  std::memset(&format, 0, sizeof format);
  scene.direct3D->EnumZBufferFormats(scene.entry->deviceGuid, FirstZBufferFormat, &format);
  if (format.dwSize == 0) return DD_OK;  // a device that lists none draws without one
  DDSURFACEDESC2 back;
  ClearSurfaceDesc(back);
  HRESULT result = scene.back->GetSurfaceDesc(&back);
  if (FAILED(result)) return result;
  DDSURFACEDESC2 desc;
  ClearSurfaceDesc(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.dwWidth = back.dwWidth;
  desc.dwHeight = back.dwHeight;
  desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY;
  desc.ddpfPixelFormat = format;
  result = scene.directDraw->CreateSurface(&desc, &scene.zBuffer, nullptr);
  if (FAILED(result)) return result;
  return scene.back->AddAttachedSurface(scene.zBuffer);
}

HRESULT MakeScreen(GraphicsTestScene& scene) {
  DDSURFACEDESC2 desc;
  ClearSurfaceDesc(desc);
  HRESULT result;
  if (!scene.choice->windowed) {
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps =
        DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    desc.dwBackBufferCount = 1;
    result = scene.directDraw->CreateSurface(&desc, &scene.primary, nullptr);
    if (FAILED(result)) return result;
    DDSCAPS2 caps;
    std::memset(&caps, 0, sizeof caps);
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    result = scene.primary->GetAttachedSurface(&caps, &scene.back);
    if (FAILED(result)) return result;
  } else {
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    result = scene.directDraw->CreateSurface(&desc, &scene.primary, nullptr);
    if (FAILED(result)) return result;
    result = scene.directDraw->CreateClipper(0, &scene.clipper, nullptr);
    if (FAILED(result)) return result;
    result = scene.clipper->SetHWnd(0, scene.window);
    if (SUCCEEDED(result)) result = scene.primary->SetClipper(scene.clipper);
    if (FAILED(result)) return result;
    ClearSurfaceDesc(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = static_cast<DWORD>(scene.choice->width);
    desc.dwHeight = static_cast<DWORD>(scene.choice->height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
    result = scene.directDraw->CreateSurface(&desc, &scene.back, nullptr);
    if (FAILED(result)) return result;
  }
  return MakeZBuffer(scene);
}

HRESULT MakeDevice(GraphicsTestScene& scene) {
  HRESULT result =
      scene.direct3D->CreateDevice(scene.entry->deviceGuid, scene.back, &scene.device);
  if (SUCCEEDED(result) && scene.device == nullptr) result = E_POINTER;
  return result;
}

// ---- The textures ----------------------------------------------------------------

constexpr int kMaxTextureFormats = 64;
struct TextureFormats {
  DDPIXELFORMAT formats[kMaxTextureFormats];
  int count;
};

HRESULT WINAPI ListTextureFormat(LPDDPIXELFORMAT format, LPVOID context) {
  TextureFormats& list = *static_cast<TextureFormats*>(context);
  if (list.count < kMaxTextureFormats) list.formats[list.count++] = *format;
  return D3DENUMRET_OK;
}

int BitsIn(DWORD mask) {
  int bits = 0;
  for (; mask != 0; mask &= mask - 1) ++bits;
  return bits;
}

// A plain RGB format (no palette, no luminance, no bump map, not alpha alone).
bool PlainRgb(const DDPIXELFORMAT& format) {
  const DWORD unwanted = DDPF_PALETTEINDEXED8 | DDPF_PALETTEINDEXED4 | DDPF_FOURCC |
                         DDPF_LUMINANCE | DDPF_BUMPDUDV | DDPF_ALPHA;
  return (format.dwFlags & DDPF_RGB) != 0 && (format.dwFlags & unwanted) == 0;
}

// Of the plain RGB formats of `bits` bits, the first with the fewest alpha
// bits: the scene uses none, and 4:4:4:4 would cost the colours bits.
const DDPIXELFORMAT* FindRgbFormat(const DDPIXELFORMAT* formats, int count, DWORD bits) {
  const DDPIXELFORMAT* found = nullptr;
  for (int i = 0; i < count; ++i) {
    const DDPIXELFORMAT& format = formats[i];
    if (!PlainRgb(format) || format.dwRGBBitCount != bits) continue;
    if (found == nullptr || BitsIn(format.dwRGBAlphaBitMask) < BitsIn(found->dwRGBAlphaBitMask))
      found = &format;
  }
  return found;
}

// Whether GDI can draw into a surface of this format: drivers make a DC only
// for the layouts of GDI's own bitmaps (5:6:5 and 5:5:5 in 16 bits, 8:8:8 in
// 24 and 32), and refuse one for 4:4:4:4.
bool GdiDrawable(const DDPIXELFORMAT& format) {
  const DWORD r = format.dwRBitMask, g = format.dwGBitMask, b = format.dwBBitMask;
  switch (format.dwRGBBitCount) {
    case 16:
      return (r == 0xF800 && g == 0x07E0 && b == 0x001F) ||
             (r == 0x7C00 && g == 0x03E0 && b == 0x001F);
    case 24:
    case 32:
      return r == 0xFF0000 && g == 0x00FF00 && b == 0x0000FF;
    default:
      return false;
  }
}

// One channel of 0..255 into the bits of `mask`.
DWORD PackChannel(DWORD value, DWORD mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  DWORD width = 0;
  while (((mask >> (shift + width)) & 1) != 0 && shift + width < 32) ++width;
  DWORD scaled = width >= 8 ? value << (width - 8) : value >> (8 - width);
  return (scaled << shift) & mask;
}

HRESULT CreateTexture(GraphicsTestScene& scene, const DDPIXELFORMAT& format,
                      IDirectDrawSurface7** texture) {
  DDSURFACEDESC2 desc;
  ClearSurfaceDesc(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.dwWidth = desc.dwHeight = kTextureSide;
  desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
  desc.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
  desc.ddpfPixelFormat = format;
  return scene.directDraw->CreateSurface(&desc, texture, nullptr);
}

// An RGB texture: a checker board (pattern 0) or a soft diagonal light (1).
HRESULT PaintRgbTexture(IDirectDrawSurface7* texture, const DDPIXELFORMAT& format, int pattern) {
  DDSURFACEDESC2 desc;
  ClearSurfaceDesc(desc);
  HRESULT result = texture->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
  if (FAILED(result)) return result;
  DWORD bytes = format.dwRGBBitCount / 8;
  for (DWORD y = 0; y < kTextureSide; ++y) {
    BYTE* row = static_cast<BYTE*>(desc.lpSurface) + y * desc.lPitch;
    for (DWORD x = 0; x < kTextureSide; ++x) {
      DWORD r, g, b;
      if (pattern == 0) {
        bool light = ((x / 8) + (y / 8)) % 2 == 0;
        r = light ? 240 : 200;
        g = light ? 200 : 40;
        b = light ? 40 : 30;
      } else {
        r = g = b = 96 + (x + y) * 159 / (2 * kTextureSide);
      }
      DWORD pixel = PackChannel(r, format.dwRBitMask) | PackChannel(g, format.dwGBitMask) |
                    PackChannel(b, format.dwBBitMask) | format.dwRGBAlphaBitMask;
      std::memcpy(row + x * bytes, &pixel, bytes);
    }
  }
  return texture->Unlock(nullptr);
}

// A DXT1 texture: 4 x 4 blocks of two 5:6:5 colours and their indices, in
// blue and white stripes.
HRESULT PaintCompressedTexture(IDirectDrawSurface7* texture) {
  DDSURFACEDESC2 desc;
  ClearSurfaceDesc(desc);
  HRESULT result = texture->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
  if (FAILED(result)) return result;
  const DWORD blocksAcross = kTextureSide / 4;
  const DWORD rowBytes = blocksAcross * 8;
  // A compressed surface gives its whole size in place of the pitch.
  DWORD pitch = static_cast<DWORD>(desc.lPitch);
  if (pitch == 0 || pitch >= rowBytes * (kTextureSide / 4)) pitch = rowBytes;
  for (DWORD by = 0; by < kTextureSide / 4; ++by) {
    BYTE* row = static_cast<BYTE*>(desc.lpSurface) + by * pitch;
    for (DWORD bx = 0; bx < blocksAcross; ++bx) {
      WORD colors[2] = {0x22BF, 0xFFFF};
      DWORD indices = ((bx + by) % 2 == 0) ? 0x05050505u : 0x50505050u;
      std::memcpy(row + bx * 8, colors, 4);
      std::memcpy(row + bx * 8 + 4, &indices, 4);
    }
  }
  return texture->Unlock(nullptr);
}

// The height the lines take in the test's font, as DrawTexts sets them: half
// a line above, four lines, and the shadow.
DWORD LinesHeight(const GraphicsTestScene& scene) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, scene.font);
  TEXTMETRICW metrics;
  BOOL measured = GetTextMetricsW(dc, &metrics);
  SelectObject(dc, previous);
  ReleaseDC(nullptr, dc);
  if (!measured) return 256;
  int line = metrics.tmHeight + metrics.tmExternalLeading + 4;
  return static_cast<DWORD>(line / 2 + line * kGraphicsTestLines + 2);
}

DWORD PowerOfTwoAtLeast(DWORD value, DWORD limit) {
  DWORD side = 1;
  while (side < value && side < 8192) side *= 2;
  return limit != 0 && side > limit ? limit : side;
}


// Text drawn with GDI on the back buffer every frame would read the whole
// frame back each time (it does under Wine, and keeps the rate under 30 a
// second); the lines change once a second, so they are drawn then into a
// texture of their own, its black keyed out, that each frame lays over the
// scene.
HRESULT MakeOverlay(GraphicsTestScene& scene) {
  DDSURFACEDESC2 desc;
  ClearSurfaceDesc(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.dwWidth = GraphicsTestOverlayWidth(scene);
  scene.linesHeight = LinesHeight(scene);
  desc.dwHeight = PowerOfTwoAtLeast(scene.linesHeight, scene.entry->deviceDesc.dwMaxTextureHeight);
  desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
  desc.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
  desc.ddpfPixelFormat = scene.overlayFormat;
  HRESULT result = scene.directDraw->CreateSurface(&desc, &scene.overlay, nullptr);
  if (FAILED(result)) return result;
  DDCOLORKEY black = {0, 0};
  scene.linesChanged = true;
  return scene.overlay->SetColorKey(DDCKEY_SRCBLT, &black);
}

HRESULT MakeTextures(GraphicsTestScene& scene) {
  const GraphicsTestChoice& choice = *scene.choice;
  TextureFormats list;
  list.count = 0;
  HRESULT result = scene.device->EnumTextureFormats(ListTextureFormat, &list);
  if (FAILED(result)) return result;
  GraphicsTestFormats chosen =
      ChooseGraphicsTestFormats(list.formats, list.count, choice.textureDepth, scene.drawnDepth);
  if (chosen.texture == nullptr || chosen.overlay == nullptr) return DDERR_INVALIDPIXELFORMAT;
  const DDPIXELFORMAT& format = *chosen.texture;
  scene.textureFormat = format;
  scene.overlayFormat = *chosen.overlay;
  scene.textureBits = static_cast<int>(format.dwRGBBitCount);
  result = CreateTexture(scene, format, &scene.texture);
  if (SUCCEEDED(result)) result = PaintRgbTexture(scene.texture, format, 0);
  if (FAILED(result)) return result;
  if (choice.multiTexture) {
    if (scene.entry->deviceDesc.wMaxSimultaneousTextures >= 2) {
      result = CreateTexture(scene, format, &scene.secondTexture);
      if (SUCCEEDED(result)) result = PaintRgbTexture(scene.secondTexture, format, 1);
      if (FAILED(result)) return result;
    } else {
      scene.twoStagesMissing = true;
    }
  }
  if (choice.compressed) {
    const DDPIXELFORMAT* dxt1 = nullptr;
    for (int i = 0; i < list.count; ++i)
      if ((list.formats[i].dwFlags & DDPF_FOURCC) != 0 && list.formats[i].dwFourCC == kFourCcDxt1)
        dxt1 = &list.formats[i];
    if (dxt1 != nullptr) {
      result = CreateTexture(scene, *dxt1, &scene.compressedTexture);
      if (SUCCEEDED(result)) result = PaintCompressedTexture(scene.compressedTexture);
      if (FAILED(result)) return result;
    } else {
      scene.compressedMissing = true;
    }
  }
  return DD_OK;
}


// ---- A frame ---------------------------------------------------------------------

struct SceneVertex {
  float x, y, z, rhw;
  DWORD color;
  float u0, v0, u1, v1;
};
constexpr DWORD kSceneVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2;

// A square of half side `size` around (cx, cy), turned by `angle`, its depth
// going from zNear at one corner to zFar at the opposite one.
void MakeSquare(SceneVertex (&v)[4], float cx, float cy, float size, float angle, float zNear,
                float zFar, DWORD color) {
  static const float kCorners[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
  for (int i = 0; i < 4; ++i) {
    float cs = std::cos(angle), sn = std::sin(angle);
    float px = kCorners[i][0] * size, py = kCorners[i][1] * size;
    v[i].x = cx + px * cs - py * sn;
    v[i].y = cy + px * sn + py * cs;
    v[i].z = zNear + (zFar - zNear) * (kCorners[i][0] + kCorners[i][1] + 2) / 4;
    v[i].rhw = 1.0f;
    v[i].color = color;
    v[i].u0 = v[i].u1 = (kCorners[i][0] + 1) * 2;
    v[i].v0 = v[i].v1 = (kCorners[i][1] + 1) * 2;
  }
}

void DrawTexts(GraphicsTestScene& scene, HDC dc, int width) {
  HGDIOBJ previous = SelectObject(dc, scene.font);
  SetBkMode(dc, TRANSPARENT);
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  int lineHeight = metrics.tmHeight + metrics.tmExternalLeading + 4;
  int top = lineHeight / 2;
  for (int i = 0; i < kGraphicsTestLines; ++i) {
    const wchar_t* line = scene.lines[i];
    int length = lstrlenW(line);
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, line, length, &size);
    int x = (width - size.cx) / 2;
    // TextOutW draws "&" as itself, as in "Wine D3D7 T&L HAL".
    // The shadow is nearly black: black itself is keyed out.
    SetTextColor(dc, RGB(16, 16, 16));
    TextOutW(dc, x + 2, top + 2, line, length);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutW(dc, x, top, line, length);
    top += lineHeight;
  }
  SelectObject(dc, previous);
}

// The lines' texture over the scene, its black keyed out, pixel for pixel
// near the top; drawn again first when the lines changed.
HRESULT DrawLines(GraphicsTestScene& scene, float width) {
  DDSURFACEDESC2 desc;
  ClearSurfaceDesc(desc);
  HRESULT result = scene.overlay->GetSurfaceDesc(&desc);
  if (FAILED(result)) return result;
  if (scene.linesChanged) {
    DDBLTFX fill;
    std::memset(&fill, 0, sizeof fill);
    fill.dwSize = sizeof fill;
    result = scene.overlay->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill);
    HDC dc = nullptr;
    if (SUCCEEDED(result)) result = scene.overlay->GetDC(&dc);
    if (FAILED(result)) return result;
    DrawTexts(scene, dc, static_cast<int>(width < desc.dwWidth ? width : desc.dwWidth));
    scene.overlay->ReleaseDC(dc);
    scene.linesChanged = false;
  }
  IDirect3DDevice7* device = scene.device;
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  device->SetTexture(0, scene.overlay);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  // Only the part the lines take, so no more is filled each frame than that.
  float w = width < desc.dwWidth ? width : static_cast<float>(desc.dwWidth);
  float h = static_cast<float>(scene.linesHeight < desc.dwHeight ? scene.linesHeight : desc.dwHeight);
  float u = w / static_cast<float>(desc.dwWidth), v = h / static_cast<float>(desc.dwHeight);
  float top = 8.0f - 0.5f, left = -0.5f;
  SceneVertex quad[4] = {{left, top, 0, 1, 0xFFFFFFFF, 0, 0, 0, 0},
                         {left + w, top, 0, 1, 0xFFFFFFFF, u, 0, u, 0},
                         {left, top + h, 0, 1, 0xFFFFFFFF, 0, v, 0, v},
                         {left + w, top + h, 0, 1, 0xFFFFFFFF, u, v, u, v}};
  result = device->DrawPrimitive(D3DPT_TRIANGLESTRIP, kSceneVertexFormat, quad, 4, 0);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  return result;
}

HRESULT DrawFrame(GraphicsTestScene& scene) {
  DDSURFACEDESC2 back;
  ClearSurfaceDesc(back);
  HRESULT result = scene.back->GetSurfaceDesc(&back);
  if (FAILED(result)) return result;
  float width = static_cast<float>(back.dwWidth), height = static_cast<float>(back.dwHeight);
  IDirect3DDevice7* device = scene.device;
  DWORD clear = D3DCLEAR_TARGET | (scene.zBuffer != nullptr ? D3DCLEAR_ZBUFFER : 0);
  result = device->Clear(0, nullptr, clear, D3DRGB(0.05, 0.1, 0.3), 1.0f, 0);
  if (FAILED(result)) return result;
  result = device->BeginScene();
  if (FAILED(result)) return result;
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, scene.zBuffer != nullptr ? D3DZB_TRUE : D3DZB_FALSE);
  device->SetRenderState(D3DRENDERSTATE_LIGHTING, FALSE);
  device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  float t = static_cast<float>(scene.elapsed) / 1000.0f;
  float size = (width < height ? width : height) * 0.28f;
  SceneVertex square[4];
  // The square in the chosen texture depth, turning; the second texture lights
  // it in stage 1.
  MakeSquare(square, width * 0.45f, height * 0.6f, size, t * 0.8f, 0.2f, 0.8f, 0xFFFFFFFF);
  device->SetTexture(0, scene.texture);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  if (scene.secondTexture != nullptr) {
    device->SetTexture(1, scene.secondTexture);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  }
  result = device->DrawPrimitive(D3DPT_TRIANGLESTRIP, kSceneVertexFormat, square, 4, 0);
  if (scene.secondTexture != nullptr) {
    device->SetTexture(1, nullptr);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  }
  // A second square through the first at an even depth, moving across it: the
  // depth test shows where one passes behind the other.
  if (SUCCEEDED(result)) {
    float across = width * 0.5f + std::sin(t) * width * 0.15f;
    MakeSquare(square, across, height * 0.6f, size * 0.8f, -t * 0.5f, 0.5f, 0.5f,
               scene.compressedTexture != nullptr ? 0xFFFFFFFF : 0xFF80E0FF);
    device->SetTexture(0, scene.compressedTexture != nullptr ? scene.compressedTexture
                                                             : scene.texture);
    result = device->DrawPrimitive(D3DPT_TRIANGLESTRIP, kSceneVertexFormat, square, 4, 0);
  }
  if (SUCCEEDED(result)) result = DrawLines(scene, width);
  device->SetTexture(0, nullptr);
  HRESULT ended = device->EndScene();
  if (SUCCEEDED(result)) result = ended;
  if (FAILED(result)) return result;

  if (!scene.choice->windowed) return scene.primary->Flip(nullptr, DDFLIP_WAIT);
  RECT target;
  GetClientRect(scene.window, &target);
  MapWindowPoints(scene.window, nullptr, reinterpret_cast<POINT*>(&target), 2);
  return scene.primary->Blt(&target, scene.back, nullptr, DDBLT_WAIT, nullptr);
}

DWORD TickNow() { return GetTickCount(); }

void WaitForMessages(DWORD milliseconds) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
}

}  // namespace

GraphicsTestFormats ChooseGraphicsTestFormats(const DDPIXELFORMAT* formats, int count,
                                              int32_t textureDepth, int32_t drawnDepth) {
  GraphicsTestFormats chosen = {nullptr, nullptr};
  if (textureDepth == 16 || textureDepth == 32) {
    chosen.texture = FindRgbFormat(formats, count, static_cast<DWORD>(textureDepth));
  } else {
    // "default": the drawn depth's own, else the nearest (a 24-bit mode takes
    // 32-bit textures where the device has no 24-bit ones).
    static const DWORD kFrom16[] = {16, 32, 24};
    static const DWORD kFrom24[] = {24, 32, 16};
    static const DWORD kFrom32[] = {32, 24, 16};
    const DWORD* order = drawnDepth == 16 ? kFrom16 : drawnDepth == 24 ? kFrom24 : kFrom32;
    for (int i = 0; i < 3 && chosen.texture == nullptr; ++i)
      chosen.texture = FindRgbFormat(formats, count, order[i]);
  }
  // The overlay in the scene's format where GDI can draw into it.
  if (chosen.texture != nullptr && GdiDrawable(*chosen.texture)) chosen.overlay = chosen.texture;
  for (int i = 0; i < count && chosen.overlay == nullptr; ++i)
    if (PlainRgb(formats[i]) && GdiDrawable(formats[i])) chosen.overlay = &formats[i];
  return chosen;
}

GraphicsTestSteps RealGraphicsTestSteps() {
  GraphicsTestSteps real;
  real.openWindow = OpenTestWindow;
  real.makeScreen = MakeScreen;
  real.makeDevice = MakeDevice;
  real.makeTextures = MakeTextures;
  real.makeOverlay = MakeOverlay;
  real.drawFrame = DrawFrame;
  real.now = TickNow;
  real.wait = WaitForMessages;
  return real;
}

void ClearSurfaceDesc(DDSURFACEDESC2& desc) {
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
}

// The overlay spans the back buffer, which has the mode's size.
DWORD GraphicsTestOverlayWidth(const GraphicsTestScene& scene) {
  return PowerOfTwoAtLeast(static_cast<DWORD>(scene.choice->width),
                           scene.entry->deviceDesc.dwMaxTextureWidth);
}

// A managed texture keeps its pixels; the overlay is drawn again with the
// next frame.
HRESULT RefillGraphicsTestTextures(GraphicsTestScene& scene, const bool (&lost)[4]) {
  HRESULT result = DD_OK;
  if (lost[0]) result = PaintRgbTexture(scene.texture, scene.textureFormat, 0);
  if (SUCCEEDED(result) && lost[1])
    result = PaintRgbTexture(scene.secondTexture, scene.textureFormat, 1);
  if (SUCCEEDED(result) && lost[2]) result = PaintCompressedTexture(scene.compressedTexture);
  if (lost[3]) scene.linesChanged = true;
  return result;
}
