#include "tools/pyrelle/frame_outputs.h"

#include <gif_lib.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <stdexcept>

#include "tools/pyrelle/frame_scaling.h"
#include "tools/pyrelle/heat_opacity.h"
#include "tools/pyrelle/indexed_png.h"
#include "tools/pyrelle/interruption.h"
#include "tools/pyrelle/output_file.h"
#include "tools/pyrelle/png_folder.h"
#include "tools/pyrelle/video_writer.h"

namespace pyrelle::tools {
namespace {

class gif_writer {
public:
    gif_writer(output_file& file, std::int32_t width, std::int32_t height, std::uint32_t period_ms, bool transparent)
        : path_(file.path()), width_(width), height_(height), period_ms_(period_ms), transparent_(transparent)
    {
        // giflib closes the descriptor it is given: hand it a copy, the output_file keeps its own.
        int error = 0;
        const int fd = ::dup(file.descriptor());
        if (fd < 0) {
            throw std::runtime_error("cannot write '" + path_ + "': " + std::strerror(errno));
        }
        gif_ = EGifOpenFileHandle(fd, &error);
        if (gif_ == nullptr) {
            ::close(fd);
            throw std::runtime_error("cannot write '" + path_ + "': " + GifErrorString(error));
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

    // Delays are whole hundredths, and viewers stretch one below 2 to a tenth of a second. Each
    // frame therefore starts at its real start time rounded, so the delays add up to the real
    // length (41 ms: 4, 4, 4, 4, 5, ...); a frame due less than 2 hundredths after the one shown
    // is left out, and that one shows on.
    void add_frame(const std::uint8_t* pixels, const palette_entry* palette)
    {
        const unsigned start_cs = time_cs(frames_++);
        if (!pending_pixels_.empty()) {
            if (start_cs - pending_start_cs_ < min_delay_cs) {
                return;
            }
            put(start_cs - pending_start_cs_);
        }
        pending_pixels_.assign(pixels, pixels + static_cast<std::size_t>(width_) * height_);
        std::copy(palette, palette + 256, pending_palette_);
        pending_start_cs_ = start_cs;
    }

    void finish()
    {
        if (!pending_pixels_.empty()) {
            put(std::max(time_cs(frames_) - pending_start_cs_, min_delay_cs));
        }
        int error = 0;
        const int closed = EGifCloseFile(gif_, &error);
        gif_ = nullptr;
        if (closed != GIF_OK) {
            throw std::runtime_error("cannot write '" + path_ + "': " + GifErrorString(error));
        }
    }

private:
    static constexpr unsigned min_delay_cs = 2;

    unsigned time_cs(std::uint64_t frame) const { return static_cast<unsigned>((frame * period_ms_ + 5) / 10); }

    void put(unsigned delay)
    {
        // A transparent GIF has index 0 clear, and each picture is drawn on a cleared canvas:
        // left on the one before, the clear pixels would show the old flames through.
        const auto flags = static_cast<unsigned char>(transparent_ ? DISPOSE_BACKGROUND << 2 | 1 : 0);
        const unsigned char control[] = {flags, static_cast<unsigned char>(delay & 0xFF),
                                         static_cast<unsigned char>(delay >> 8), 0};
        check(EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, sizeof control, control));

        GifColorType colours[256];
        for (int i = 0; i < 256; ++i) {
            colours[i] = {pending_palette_[i].red, pending_palette_[i].green, pending_palette_[i].blue};
        }
        ColorMapObject* map = GifMakeMapObject(256, colours);
        if (map == nullptr) {
            throw std::bad_alloc();
        }
        const int put = EGifPutImageDesc(gif_, 0, 0, width_, height_, false, map);
        GifFreeMapObject(map);
        check(put);
        for (std::int32_t y = 0; y < height_; ++y) {
            check(EGifPutLine(gif_, pending_pixels_.data() + static_cast<std::size_t>(y) * width_, width_));
        }
    }

    void check(int result)
    {
        if (result != GIF_OK) {
            throw std::runtime_error("cannot write '" + path_ + "': " + GifErrorString(gif_->Error));
        }
    }

    std::string path_;
    std::int32_t width_, height_;
    std::uint64_t period_ms_;
    bool transparent_;
    GifFileType* gif_ = nullptr;
    std::uint64_t frames_ = 0;
    // The frame shown last, written once the next one's start (or the end) gives its delay.
    std::vector<GifPixelType> pending_pixels_;
    palette_entry pending_palette_[256] = {};
    unsigned pending_start_cs_ = 0;
};

}  // namespace

bool output_paths::uses_standard_output() const
{
    return video_file == "-" || gif_file == "-" || heat_dump_file == "-" || palette_dump_file == "-";
}

struct frame_outputs::impl {
    frame_format format{};
    frame_placement placement;  // the module's frame in the pictures written
    std::string png_dir;
    // Declared before their writers, so the writers go first.
    std::optional<output_file> video_file, gif_file, heat_dump, palette_dump;
    std::unique_ptr<video_writer> video;
    std::unique_ptr<gif_writer> gif;
    std::unique_ptr<png_folder> pngs;
    std::vector<std::uint8_t> screen;  // the visible rows, palette indices
    std::vector<std::uint8_t> rgb;     // the screen through the palette, and its opacity when transparent
    // What the GIF and PNGs show: the screen, scaled; the palette, with black for the bars.
    std::vector<std::uint8_t> picture, picture_rgb, png;
    palette_entry picture_palette[palette_size] = {};
    std::uint8_t png_opacity[palette_size] = {};  // each index's opacity in a transparent PNG
    std::uint32_t frames = 0;

    picture_size frame_size() const { return {format.width, format.height}; }

    // The screen, or the picture scaled from it when the pictures are larger.
    const std::uint8_t* indexed_picture(const palette_entry* palette)
    {
        std::copy(palette, palette + palette_size, picture_palette);
        if (picture.empty()) {
            return screen.data();
        }
        // Index 0 is the clear one of a transparent picture, whatever its colour.
        std::uint8_t bar = 0;
        if (placement.has_bars(frame_size()) && !format.transparent) {
            bar = bar_index(screen.data(), screen.size(), picture_palette);
        }
        scale_frame(screen.data(), frame_size(), 1, placement, &bar, picture.data());
        return picture.data();
    }

    std::size_t video_pixel_bytes() const { return format.transparent ? 4 : 3; }

    // RGB, or RGBA when transparent; the bars black, or clear.
    const std::uint8_t* rgb_picture(const palette_entry* palette)
    {
        const std::size_t n = video_pixel_bytes();
        for (std::size_t i = 0; i < screen.size(); ++i) {
            const palette_entry& e = palette[screen[i]];
            rgb[n * i] = e.red;
            rgb[n * i + 1] = e.green;
            rgb[n * i + 2] = e.blue;
            if (n == 4) {
                rgb[n * i + 3] = heat_opacity(screen[i]);
            }
        }
        if (picture_rgb.empty()) {
            return rgb.data();
        }
        static constexpr std::uint8_t black[4] = {0, 0, 0, 0};
        scale_frame(rgb.data(), frame_size(), n, placement, black, picture_rgb.data());
        return picture_rgb.data();
    }
};

frame_outputs::frame_outputs(const output_paths& paths, const frame_format& format,
                             std::optional<sound_format> soundtrack)
    : impl_(std::make_unique<impl>())
{
    // Whatever was opened before an output that cannot be made goes with impl_ when this throws.
    impl& o = *impl_;
    o.format = format;
    const picture_size size = format.picture.width == 0 ? o.frame_size() : format.picture;
    o.placement = place_frame(o.frame_size(), size);
    o.png_dir = paths.png_dir;
    for (int i = 0; i < palette_size; ++i) {
        o.png_opacity[i] = heat_opacity(static_cast<std::uint8_t>(i));
    }
    o.screen.resize(static_cast<std::size_t>(format.width) * format.height);
    if (!paths.video_file.empty()) {
        o.video_file.emplace(paths.video_file);
        o.video =
            std::make_unique<video_writer>(*o.video_file, video_container_for(paths.video_file), format.transparent,
                                           size.width, size.height, format.period_ms, soundtrack);
    }
    if (!paths.gif_file.empty()) {
        o.gif_file.emplace(paths.gif_file);
        o.gif =
            std::make_unique<gif_writer>(*o.gif_file, size.width, size.height, format.period_ms, format.transparent);
    }
    if (!paths.heat_dump_file.empty()) {
        o.heat_dump.emplace(paths.heat_dump_file);
    }
    if (!paths.palette_dump_file.empty()) {
        o.palette_dump.emplace(paths.palette_dump_file);
    }
    if (!paths.png_dir.empty()) {
        o.pngs = std::make_unique<png_folder>(paths.png_dir);
    }
    const bool scaled = !(size == o.frame_size());
    const auto picture_pixels = static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height);
    if (o.video) {
        o.rgb.resize(o.screen.size() * o.video_pixel_bytes());
    }
    if (o.video && scaled) {
        o.picture_rgb.resize(picture_pixels * o.video_pixel_bytes());
    }
    if ((o.gif || o.pngs) && scaled) {
        o.picture.resize(picture_pixels);
    }
}

frame_outputs::~frame_outputs() = default;

void frame_outputs::add_frame(const std::vector<std::uint8_t>& heat, const palette_entry* palette)
{
    impl& o = *impl_;
    std::copy(heat.begin(), heat.begin() + static_cast<std::ptrdiff_t>(o.screen.size()), o.screen.begin());
    if (o.gif || o.pngs) {
        const std::uint8_t* picture = o.indexed_picture(palette);
        if (o.gif) {
            o.gif->add_frame(picture, o.picture_palette);
        }
        if (o.pngs) {
            encode_indexed_png(picture, o.placement.picture.width, o.placement.picture.height, o.picture_palette,
                               o.format.transparent ? o.png_opacity : nullptr, o.png);
            o.pngs->write(o.frames, o.png);
        }
    }
    if (o.heat_dump) {
        o.heat_dump->write(heat.data(), heat.size());
    }
    if (o.palette_dump) {
        o.palette_dump->write(palette, 256 * sizeof(palette_entry));
    }
    if (o.video) {
        o.video->add_frame(o.rgb_picture(palette));
    }
    ++o.frames;
}

void frame_outputs::add_sound(const float* samples, std::size_t sample_frames)
{
    if (impl_->video) {
        impl_->video->add_sound(samples, sample_frames);
    }
}

std::vector<std::string> frame_outputs::commit()
{
    impl& o = *impl_;
    if (o.video) {
        o.video->finish();
    }
    if (o.gif) {
        o.gif->finish();
    }
    const std::initializer_list<std::optional<output_file>*> files = {&o.video_file, &o.gif_file, &o.heat_dump,
                                                                      &o.palette_dump};
    // Everything slow first; a signal that came meanwhile then stops the render before any rename.
    for (std::optional<output_file>* file : files) {
        if (*file) {
            (*file)->flush();
        }
    }
    if (o.pngs) {
        o.pngs->flush();
    }
    stop_if_interrupted();
    std::vector<std::string> written;
    // The frames first: a commit that fails puts the folder back, a renamed file cannot be.
    if (o.pngs) {
        o.pngs->commit();
    }
    for (std::optional<output_file>* file : files) {
        if (!*file) {
            continue;
        }
        (*file)->commit();
        written.push_back((*file)->path());
    }
    if (o.pngs) {
        written.push_back(o.png_dir + "/frame-*.png");
    }
    return written;
}

}  // namespace pyrelle::tools
