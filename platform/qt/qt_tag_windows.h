// QtTagWindows: the TagWindows of platform/tag_windows.h on Qt Widgets.
//
// Each tag window is a framed child of the edit view holding a QtTextBox,
// with a grip in its lower right corner that resizes it (reported when the
// button is released); the connectors are drawn by one transparent overlay
// over the whole edit view, under the windows. Moves and resizes made by
// the application are never reported back.
//
// Owns its frames and the overlay as Qt children of the edit view, which
// attach() names; before that, and after the view is gone, nothing shows.
#pragma once

#include <QPointer>
#include <QWidget>

#include <map>

#include "platform/tag_windows.h"

namespace rix {

class QtTextBox;
class TagFrame;
class ConnectorOverlay;

class QtTagWindows final : public TagWindows {
public:
    QtTagWindows();
    ~QtTagWindows() override;
    // The edit view the windows stand over.
    void attach(QWidget* view);

    void set_events(TagWindowEvents events) override { events_ = std::move(events); }
    void open(std::uint16_t serial, const SurfaceRect& rect, std::string_view text, const TextBoxFormat& format,
              bool hidden) override;
    void move(std::uint16_t serial, const SurfaceRect& rect) override;
    void close(std::uint16_t serial) override;
    void close_all() override;
    void set_hidden(bool hidden) override;
    void set_connectors(const std::vector<TagConnector>& lines) override;
    TextBox* box(std::uint16_t serial) override;

    // For tests: the frame of a window (null when none is open).
    QWidget* frame(std::uint16_t serial) const;
    QWidget* overlay() const;

    // Called by a frame whose grip was released.
    void frame_resized(std::uint16_t serial, int width, int height);

private:
    void discard(TagFrame* frame);

    QPointer<QWidget> view_;
    QPointer<ConnectorOverlay> overlay_;
    std::map<std::uint16_t, QPointer<TagFrame>> frames_;
    TagWindowEvents events_;
    bool hidden_ = false;
};

}  // namespace rix
