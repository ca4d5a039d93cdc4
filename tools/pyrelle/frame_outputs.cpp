#include "tools/pyrelle/frame_outputs.h"

#include <gif_lib.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace pyrelle::tools {
namespace {

std::string temporary_name(const std::string& path) { return path + ".partial"; }

class gif_writer {
public:
    gif_writer(const std::string& path, std::int32_t width, std::int32_t height, std::int32_t frame_rate)
        : path_(path), width_(width), height_(height), frame_rate_(frame_rate)
    {
        // Through a descriptor of our own: giflib would create the file readable by its owner only.
        int error = 0;
        const int fd = ::open(temporary_name(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0) {
            throw std::runtime_error("cannot create '" + path + "': " + std::strerror(errno));
        }
        gif_ = EGifOpenFileHandle(fd, &error);
        if (gif_ == nullptr) {
            ::close(fd);
            throw std::runtime_error("cannot create '" + path + "': " + GifErrorString(error));
        }
        try {
            EGifSetGifVersion(gif_, true);
            check(EGifPutScreenDesc(gif_, width, height, 8, 0, nullptr));
            // Loop for ever: the NETSCAPE2.0 application extension.
            const unsigned char loop[] = {1, 0, 0};
            check(EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE));
            check(EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0"));
            check(EGifPutExtensionBlock(gif_, 3, loop));
            check(EGifPutExtensionTrailer(gif_));
        } catch (...) {
            // No destructor runs for a half-made object: close the handle here.
            EGifCloseFile(gif_, &error);
            throw;
        }
    }

    ~gif_writer()
    {
        if (gif_ != nullptr) {
            int error = 0;
            EGifCloseFile(gif_, &error);
        }
    }

    void add_frame(const std::uint8_t* pixels, const palette_entry* palette)
    {
        // GIF delays are in hundredths of a second; rounding each frame's end time keeps the
        // animation's total length right at rates that do not divide 100.
        const auto end_cs = static_cast<unsigned>((static_cast<std::uint64_t>(frames_ + 1) * 100 + frame_rate_ / 2) / frame_rate_);
        const unsigned delay = end_cs - shown_cs_;
        shown_cs_ = end_cs;
        ++frames_;
        const unsigned char control[] = {0, static_cast<unsigned char>(delay & 0xFF), static_cast<unsigned char>(delay >> 8), 0};
        check(EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, sizeof control, control));

        GifColorType colours[256];
        for (int i = 0; i < 256; ++i) {
            colours[i] = {palette[i].red, palette[i].green, palette[i].blue};
        }
        ColorMapObject* map = GifMakeMapObject(256, colours);
        if (map == nullptr) throw std::bad_alloc();
        const int put = EGifPutImageDesc(gif_, 0, 0, width_, height_, false, map);
        GifFreeMapObject(map);
        check(put);
        for (std::int32_t y = 0; y < height_; ++y) {
            check(EGifPutLine(gif_, const_cast<GifPixelType*>(pixels + static_cast<std::size_t>(y) * width_), width_));
        }
    }

    void finish()
    {
        int error = 0;
        const int closed = EGifCloseFile(gif_, &error);
        gif_ = nullptr;
        if (closed != GIF_OK) {
            throw std::runtime_error("cannot write '" + path_ + "': " + GifErrorString(error));
        }
    }

private:
    void check(int result)
    {
        if (result != GIF_OK) {
            throw std::runtime_error("cannot write '" + path_ + "': " + GifErrorString(gif_->Error));
        }
    }

    std::string path_;
    std::int32_t width_, height_, frame_rate_;
    GifFileType* gif_ = nullptr;
    std::uint32_t frames_ = 0;
    unsigned shown_cs_ = 0;
};

std::ofstream open_binary(const std::string& path)
{
    std::ofstream out(temporary_name(path), std::ios::binary | std::ios::trunc);
    if (!out) {
        throw std::runtime_error("cannot create '" + path + "'");
    }
    return out;
}

}  // namespace

struct frame_outputs::impl {
    output_paths paths;
    std::int32_t width, height;
    std::unique_ptr<gif_writer> gif;
    std::ofstream heat_dump, palette_dump;
    std::vector<std::string> pngs_written;  // removed again unless the render completes
    bool png_dir_made = false;               // the folder did not exist before this render
    std::vector<std::uint8_t> screen, rgb;
    std::uint32_t frames = 0;
    bool committed = false;

    // Closes and deletes whatever this render has written so far.
    void discard() noexcept
    {
        gif.reset();
        heat_dump.close();
        palette_dump.close();
        std::error_code ignored;
        for (const std::string* path : {&paths.gif_file, &paths.heat_dump_file, &paths.palette_dump_file}) {
            if (!path->empty()) fs::remove(temporary_name(*path), ignored);
        }
        for (const std::string& png : pngs_written) fs::remove(png, ignored);
        // Only an empty folder goes; remove() leaves one that holds anything else.
        if (png_dir_made) fs::remove(paths.png_dir, ignored);
    }

    void write(std::ofstream& out, const void* data, std::size_t size, const std::string& path)
    {
        out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out) throw std::runtime_error("cannot write '" + path + "'");
    }
};

frame_outputs::frame_outputs(const output_paths& paths, std::int32_t width, std::int32_t height, std::int32_t frame_rate)
    : impl_(std::make_unique<impl>())
{
    impl& o = *impl_;
    o.paths = paths;
    o.width = width;
    o.height = height;
    o.screen.resize(static_cast<std::size_t>(width) * height);
    // The destructor does not run when the constructor throws, so an output that cannot be made
    // must take the ones opened before it away here.
    try {
        if (!paths.gif_file.empty()) {
            o.gif = std::make_unique<gif_writer>(paths.gif_file, width, height, frame_rate);
        }
        if (!paths.heat_dump_file.empty()) o.heat_dump = open_binary(paths.heat_dump_file);
        if (!paths.palette_dump_file.empty()) o.palette_dump = open_binary(paths.palette_dump_file);
        if (!paths.png_dir.empty()) {
            std::error_code error;
            o.png_dir_made = !fs::exists(paths.png_dir, error);
            fs::create_directories(paths.png_dir, error);
            if (error || !fs::is_directory(paths.png_dir)) {
                o.png_dir_made = false;
                throw std::runtime_error("cannot create folder '" + paths.png_dir + "'");
            }
            o.rgb.resize(o.screen.size() * 3);
        }
    } catch (...) {
        o.discard();
        throw;
    }
}

frame_outputs::~frame_outputs()
{
    if (!impl_->committed) impl_->discard();
}

void frame_outputs::add_frame(const std::vector<std::uint8_t>& heat, const palette_entry* palette)
{
    impl& o = *impl_;
    std::copy(heat.begin(), heat.begin() + static_cast<std::ptrdiff_t>(o.screen.size()), o.screen.begin());
    if (o.gif) o.gif->add_frame(o.screen.data(), palette);
    if (o.heat_dump.is_open()) o.write(o.heat_dump, heat.data(), heat.size(), o.paths.heat_dump_file);
    if (o.palette_dump.is_open()) o.write(o.palette_dump, palette, 256 * sizeof(palette_entry), o.paths.palette_dump_file);
    if (!o.paths.png_dir.empty()) {
        for (std::size_t i = 0; i < o.screen.size(); ++i) {
            const palette_entry& e = palette[o.screen[i]];
            o.rgb[3 * i] = e.red;
            o.rgb[3 * i + 1] = e.green;
            o.rgb[3 * i + 2] = e.blue;
        }
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05u.png", o.frames);
        const std::string path = (fs::path(o.paths.png_dir) / name).string();
        o.pngs_written.push_back(path);
        if (stbi_write_png(path.c_str(), o.width, o.height, 3, o.rgb.data(), o.width * 3) == 0) {
            throw std::runtime_error("cannot write '" + path + "'");
        }
    }
    ++o.frames;
}

std::vector<std::string> frame_outputs::commit()
{
    impl& o = *impl_;
    std::vector<std::string> written;
    if (o.gif) {
        o.gif->finish();
        o.gif.reset();
    }
    for (std::ofstream* out : {&o.heat_dump, &o.palette_dump}) {
        if (out->is_open()) {
            out->close();
            if (!*out) throw std::runtime_error("cannot finish writing an output file");
        }
    }
    for (const std::string* path : {&o.paths.gif_file, &o.paths.heat_dump_file, &o.paths.palette_dump_file}) {
        if (path->empty()) continue;
        fs::rename(temporary_name(*path), *path);
        written.push_back(*path);
    }
    if (!o.pngs_written.empty()) {
        written.push_back(o.paths.png_dir + "/frame-*.png");
    }
    o.committed = true;
    return written;
}

}  // namespace pyrelle::tools
