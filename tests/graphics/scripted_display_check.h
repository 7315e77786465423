// The graphics test's steps scripted (display_check_tests.cpp), for the tests
// of the windows that start it: the real test window; counted objects of the
// DirectDraw fake for surfaces, device and textures; 250 ms of a scripted
// clock a frame.
#pragma once

#include <windows.h>

#include "graphics/display_check.h"

// The test fails at `failAt` (kScreen: DDERR_OUTOFVIDEOMEMORY) or, where that
// is kNone, its window is sent `message` with `wParam` as a fresh key before
// the third frame (none: the test times out). Until UseRealGraphicsTest.
void UseScriptedGraphicsTest(GraphicsTestStep failAt, UINT message, WPARAM wParam);
void UseRealGraphicsTest();
