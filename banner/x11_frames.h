#pragma once
// The banner's frames kept on the X server, in the window's own pixel format: a frame is then
// shown by one copy request, with no painting, no backing store and no image sent. Only on X11
// with a plain 24-bit true-colour window; elsewhere the player paints as usual.

#include <QImage>
#include <vector>

class QWindow;
struct xcb_connection_t;

class X11Frames {
public:
    // Unusable (isReady() false) when the window is not on X11 or its format is not plain.
    explicit X11Frames(QWindow *window);
    ~X11Frames();
    X11Frames(const X11Frames &) = delete;
    X11Frames &operator=(const X11Frames &) = delete;

    bool isReady() const { return m_ready; }
    // Forgets every frame (the size changed, or the window went away).
    void clear();
    bool has(int index) const;
    // Stores a frame; the image is converted to the window's format once.
    void store(int index, const QImage &frame);
    // Shows a stored frame in the window's top-left corner.
    void show(int index);

private:
    bool checkFormat();

    QWindow *m_window;
    xcb_connection_t *m_connection = nullptr;
    unsigned m_drawable = 0;
    unsigned m_gc = 0;
    unsigned char m_depth = 0;
    bool m_ready = false;
    std::vector<unsigned> m_pixmaps; // 0: not stored
    std::vector<QSize> m_sizes;
};
