// The real steps behind the graphics test (RealGraphicsTestSteps): its
// window, the surfaces, the 3D device, the textures and the lines' overlay,
// and a frame; and what the test's loop takes of them.
#ifndef VELMORA_DISPLAY_CHECK_STEPS_H
#define VELMORA_DISPLAY_CHECK_STEPS_H

#include "graphics/display_check.h"

// A description of `sizeof desc` bytes and nothing else, as DirectDraw wants.
void ClearSurfaceDesc(DDSURFACEDESC2& desc);

// The lines' overlay's width: the mode's, as far as the device's textures reach.
DWORD GraphicsTestOverlayWidth(const GraphicsTestScene& scene);

// The textures that lost their pixels with the screen (scene texture, second
// texture, compressed texture, overlay), painted again.
HRESULT RefillGraphicsTestTextures(GraphicsTestScene& scene, const bool (&lost)[4]);

#endif
