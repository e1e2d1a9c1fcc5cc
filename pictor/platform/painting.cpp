// Painting: the client area shows an off-screen image. A size change or InvalidateRect makes the
// window need painting (WM_PAINT); BeginPaint hands out the image, erased to the class
// background when asked, SetPixel writes into it and EndPaint puts it on the screen.
#include "painting.h"
#include "window.h"

#include <algorithm>

namespace {

// COLORREF has red in the low byte; cairo's word has red in bits 16 to 23.
std::uint32_t toWord(COLORREF colour) {
    return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

void onSizeAllocate(GtkWidget *, GdkRectangle *size, gpointer window) {
    HWND__ *w = static_cast<HWND__ *>(window);
    if (size->width == w->surface.image.width() && size->height == w->surface.image.height())
        return;
    // A new size shows new parts of the client area: they are erased and painted.
    InvalidateRect(w, nullptr, TRUE);
}

gboolean onDraw(GtkWidget *, cairo_t *cr, gpointer window) {
    HWND__ *w = static_cast<HWND__ *>(window);
    const COLORREF colour = w->background;
    cairo_set_source_rgb(cr, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                         ((colour >> 16) & 0xFF) / 255.0);
    cairo_paint(cr); // until the first paint the client area shows the background
    PixelImage &image = w->surface.image;
    if (image.width() == 0 || image.height() == 0)
        return TRUE;
    cairo_surface_t *shown = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char *>(image.data()), CAIRO_FORMAT_RGB24, image.width(),
        image.height(), image.width() * 4);
    cairo_set_source_surface(cr, shown, 0, 0);
    // At a scale of 2 or more (HiDPI) each pixel becomes a block of device pixels, not a blend
    // of its neighbours and the background.
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_surface_destroy(shown);
    return TRUE;
}

} // namespace

void PixelImage::reset(int width, int height, COLORREF colour) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_),
                   toWord(colour));
}

void PixelImage::fill(COLORREF colour) {
    std::fill(pixels_.begin(), pixels_.end(), toWord(colour));
}

COLORREF PixelImage::set(int x, int y, COLORREF colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return CLR_INVALID;
    const COLORREF shown = colour & 0xFFFFFFu; // the top byte plays no part in the colour
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
            static_cast<std::size_t>(x)] = toWord(shown);
    return shown;
}

void connectPainting(HWND window) {
    g_signal_connect(window->area, "size-allocate", G_CALLBACK(onSizeAllocate), window);
    g_signal_connect(window->area, "draw", G_CALLBACK(onDraw), window);
}

BOOL WINAPI InvalidateRect(HWND window, const RECT *, BOOL erase) {
    // The whole client area is invalidated whatever the rectangle: painting always sets it all.
    HWND__ *w = liveWindow(window);
    if (w == nullptr)
        return FALSE;
    if (erase)
        w->eraseBeforePaint = true;
    threadQueue().invalidate(window);
    return TRUE;
}

HDC WINAPI BeginPaint(HWND window, PAINTSTRUCT *paint) {
    HWND__ *w = liveWindow(window);
    if (w == nullptr || paint == nullptr)
        return nullptr;
    PixelImage &image = w->surface.image;
    const int width = gtk_widget_get_allocated_width(w->area);
    const int height = gtk_widget_get_allocated_height(w->area);
    if (width != image.width() || height != image.height()) {
        image.reset(width, height, w->background);
    } else if (w->eraseBeforePaint) {
        image.fill(w->background);
    }
    w->eraseBeforePaint = false;
    threadQueue().validate(window);

    *paint = PAINTSTRUCT{};
    paint->hdc = &w->surface;
    paint->fErase = FALSE; // erased here already
    paint->rcPaint = RECT{0, 0, width, height};
    return paint->hdc;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT *) {
    HWND__ *w = liveWindow(window);
    if (w == nullptr)
        return FALSE;
    gtk_widget_queue_draw(w->area);
    return TRUE;
}

COLORREF WINAPI SetPixel(HDC deviceContext, int x, int y, COLORREF colour) {
    if (deviceContext == nullptr)
        return CLR_INVALID;
    return deviceContext->image.set(x, y, colour);
}
