// PictureSurface: the pictures a drawing surface can take besides its cells
// and lines (the background papers). A Surface that also is a
// PictureSurface draws them; the background falls back to its fill on any
// other (display/background.cpp asks with dynamic_cast).
#pragma once

#include "platform/picture.h"
#include "platform/surface.h"

namespace rix {

class PictureSurface {
public:
    virtual ~PictureSurface() = default;
    // The whole picture stretched to `dst`, drawn only inside `clip`.
    virtual void draw_picture(const Picture& picture, const SurfaceRect& dst, const SurfaceRect& clip) = 0;
};

}  // namespace rix
