// The pointer shapes of the edit view, drawn at start as 24 × 24 images in
// one colour with their hot spots.
#pragma once

#include <QCursor>
#include <QImage>
#include <cstdint>
#include <string>

namespace rix {

// The 24 × 24 image of a named shape (transparent where the shape is not);
// a null image for an unknown name.
QImage pointer_image(const std::string& name, std::uint32_t colorref);
// The cursor of a shape with its hot spot; the arrow for an unknown name.
QCursor pointer_cursor(const std::string& name, int hot_x, int hot_y, std::uint32_t colorref);

}  // namespace rix
