#pragma once

#include <QSize>
#include <memory>
#include <vector>

class QImage;
struct wl_buffer;
struct wl_shm;

// Shared-memory buffers of one surface, 32-bit premultiplied ARGB: a free one is reused, a new one
// is made while the compositor still reads all the others.
class WaylandShmBuffers {
public:
    explicit WaylandShmBuffers(wl_shm* shm);
    ~WaylandShmBuffers();
    WaylandShmBuffers(const WaylandShmBuffers&) = delete;
    WaylandShmBuffers& operator=(const WaylandShmBuffers&) = delete;

    // A buffer holding a copy of `image` (premultiplied ARGB32), handed to the compositor until it
    // releases it; null when no memory could be had.
    wl_buffer* fill(const QImage& image);
    // Gives back every buffer the compositor does not hold.
    void releaseSpare();
    // Bytes of shared memory held now.
    std::size_t bytes() const;

    struct Buffer;

private:
    Buffer* freeBuffer(QSize size);

    wl_shm* m_shm = nullptr;
    std::vector<std::unique_ptr<Buffer>> m_buffers;
};
