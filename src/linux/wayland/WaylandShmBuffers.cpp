#include "wayland/WaylandShmBuffers.h"

#include <QImage>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

struct WaylandShmBuffers::Buffer {
    wl_buffer* buffer = nullptr;
    void* data = nullptr;
    std::size_t size = 0;
    QSize pixels;
    bool busy = false;

    ~Buffer() {
        if (buffer)
            wl_buffer_destroy(buffer);
        if (data)
            ::munmap(data, size);
    }
};

namespace {

constexpr std::size_t maxBuffers = 3;

const wl_buffer_listener bufferListener = {
    [](void* data, wl_buffer*) { static_cast<WaylandShmBuffers::Buffer*>(data)->busy = false; },
};

} // namespace

WaylandShmBuffers::WaylandShmBuffers(wl_shm* shm)
    : m_shm(shm) {}

WaylandShmBuffers::~WaylandShmBuffers() = default;

wl_buffer* WaylandShmBuffers::fill(const QImage& image) {
    const QImage pixels = image.format() == QImage::Format_ARGB32_Premultiplied
                              ? image
                              : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Buffer* buffer = freeBuffer(pixels.size());
    if (!buffer)
        return nullptr;
    const auto stride = static_cast<std::size_t>(pixels.width()) * 4;
    auto* target = static_cast<uchar*>(buffer->data);
    for (int row = 0; row < pixels.height(); ++row)
        std::memcpy(target + stride * static_cast<std::size_t>(row), pixels.constScanLine(row),
                    stride);
    buffer->busy = true;
    return buffer->buffer;
}

void WaylandShmBuffers::releaseSpare() {
    std::erase_if(m_buffers, [](const std::unique_ptr<Buffer>& buffer) { return !buffer->busy; });
}

std::size_t WaylandShmBuffers::bytes() const {
    std::size_t total = 0;
    for (const auto& buffer : m_buffers)
        total += buffer->size;
    return total;
}

WaylandShmBuffers::Buffer* WaylandShmBuffers::freeBuffer(QSize size) {
    // Buffers of another size are of no more use once the compositor is done with them.
    std::erase_if(m_buffers, [size](const std::unique_ptr<Buffer>& buffer) {
        return !buffer->busy && buffer->pixels != size;
    });
    for (const auto& buffer : m_buffers) {
        if (!buffer->busy && buffer->pixels == size)
            return buffer.get();
    }
    // A compositor that holds on to every buffer gets no more memory from us.
    if (!m_shm || size.isEmpty() || m_buffers.size() >= maxBuffers)
        return nullptr;
    const std::int32_t stride = size.width() * 4;
    const auto bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(size.height());
    const int fd = ::memfd_create("velmora-lock", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    auto buffer = std::make_unique<Buffer>();
    buffer->pixels = size;
    buffer->size = bytes;
    void* data = ::ftruncate(fd, static_cast<off_t>(bytes)) == 0
                     ? ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                     : MAP_FAILED;
    if (data == MAP_FAILED) {
        ::close(fd);
        return nullptr;
    }
    buffer->data = data;
    wl_shm_pool* pool = wl_shm_create_pool(m_shm, fd, static_cast<std::int32_t>(bytes));
    buffer->buffer = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), stride,
                                               WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);
    ::close(fd);
    wl_buffer_add_listener(buffer->buffer, &bufferListener, buffer.get());
    m_buffers.push_back(std::move(buffer));
    return m_buffers.back().get();
}
