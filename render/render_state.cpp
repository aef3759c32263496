// The one RenderState of the process and its start values.
#include "render/render_state.h"
#include "render/gl_context.h"

RenderState InitialRenderState()
{
    RenderState state = {};
    state.pixelFormatDescriptor = PixelFormatRequest();
    return state;
}

RenderState renderState = InitialRenderState();
