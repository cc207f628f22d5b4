#include "banner/x11_frames.h"

#include <QGuiApplication>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

X11Frames::X11Frames(QWindow *window) : m_window(window)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    m_connection = x11->connection();
    m_drawable = xcb_drawable_t(window->winId());
    if (!checkFormat())
        return;
    m_gc = xcb_generate_id(m_connection);
    const uint32_t noExposures = 0;
    xcb_create_gc(m_connection, m_gc, m_drawable, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    m_ready = true;
}

X11Frames::~X11Frames()
{
    clear();
    if (m_gc)
        xcb_free_gc(m_connection, m_gc);
    if (m_connection)
        xcb_flush(m_connection);
}

// Frames are sent as 32-bit pixels in the client's byte order: the window must hold 24-bit
// true colour with red, green and blue in the bytes QImage::Format_RGB32 uses.
bool X11Frames::checkFormat()
{
    xcb_get_window_attributes_reply_t *attributes =
        xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, m_drawable), nullptr);
    xcb_get_geometry_reply_t *geometry =
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, m_drawable), nullptr);
    bool plain = false;
    if (attributes && geometry && geometry->depth == 24) {
        m_depth = geometry->depth;
        const xcb_setup_t *setup = xcb_get_setup(m_connection);
        bool pixels32 = false;
        for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
            pixels32 |= f.data->depth == 24 && f.data->bits_per_pixel == 32;
        const bool littleEndian = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST
                                  && Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
        for (auto s = xcb_setup_roots_iterator(setup); s.rem && !plain; xcb_screen_next(&s))
            for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem && !plain; xcb_depth_next(&d))
                for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                    if (v.data->visual_id == attributes->visual) {
                        plain = v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v.data->red_mask == 0xff0000
                                && v.data->green_mask == 0xff00 && v.data->blue_mask == 0xff;
                        break;
                    }
        plain = plain && pixels32 && littleEndian;
    }
    free(attributes);
    free(geometry);
    return plain;
}

void X11Frames::clear()
{
    for (unsigned pixmap : m_pixmaps)
        if (pixmap)
            xcb_free_pixmap(m_connection, pixmap);
    m_pixmaps.clear();
    m_sizes.clear();
}

bool X11Frames::has(int index) const
{
    return index >= 0 && size_t(index) < m_pixmaps.size() && m_pixmaps[size_t(index)];
}

void X11Frames::store(int index, const QImage &frame)
{
    if (!m_ready || index < 0 || frame.isNull())
        return;
    if (size_t(index) >= m_pixmaps.size()) {
        m_pixmaps.resize(size_t(index) + 1, 0);
        m_sizes.resize(size_t(index) + 1);
    }
    const QImage pixels = frame.convertToFormat(QImage::Format_RGB32);
    const uint32_t maxBytes = xcb_get_maximum_request_length(m_connection) * 4 - 64;
    if (uint32_t(pixels.sizeInBytes()) > maxBytes)
        return; // too big for one request: painted the usual way instead
    const xcb_pixmap_t pixmap = xcb_generate_id(m_connection);
    xcb_create_pixmap(m_connection, m_depth, pixmap, m_drawable, uint16_t(pixels.width()), uint16_t(pixels.height()));
    xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, m_gc, uint16_t(pixels.width()),
                  uint16_t(pixels.height()), 0, 0, 0, m_depth, uint32_t(pixels.sizeInBytes()), pixels.constBits());
    m_pixmaps[size_t(index)] = pixmap;
    m_sizes[size_t(index)] = pixels.size();
}

void X11Frames::show(int index)
{
    if (!has(index) || !m_window->isExposed())
        return;
    const QSize size = m_sizes[size_t(index)];
    xcb_copy_area(m_connection, m_pixmaps[size_t(index)], m_drawable, m_gc, 0, 0, 0, 0,
                  uint16_t(size.width()), uint16_t(size.height()));
    xcb_flush(m_connection);
}
