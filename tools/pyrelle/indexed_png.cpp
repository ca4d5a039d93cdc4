#include "tools/pyrelle/indexed_png.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <stdexcept>
#include <string>

namespace pyrelle::tools {
namespace {

// libpng reports errors by longjmp to the setjmp in encode(); the message is kept here, since no
// C++ exception may cross libpng's C frames.
struct encoding {
    std::vector<std::uint8_t>* png;
    char error[200];
};

void on_error(png_structp writer, png_const_charp message)
{
    auto* e = static_cast<encoding*>(png_get_error_ptr(writer));
    std::strncpy(e->error, message, sizeof e->error - 1);
    png_longjmp(writer, 1);
}

void on_warning(png_structp, png_const_charp) {}

void on_write(png_structp writer, png_bytep data, png_size_t size)
{
    auto* e = static_cast<encoding*>(png_get_io_ptr(writer));
    try {
        e->png->insert(e->png->end(), data, data + size);
    } catch (const std::bad_alloc&) {
        png_error(writer, "out of memory");
    }
}

void on_flush(png_structp) {}

// Only plain locals between setjmp and a longjmp back to it: nothing there has a destructor to skip.
bool encode(encoding& e, const std::uint8_t* indices, std::int32_t width, std::int32_t height,
            const palette_entry* palette, const std::uint8_t* opacity)
{
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, &e, &on_error, &on_warning);
    if (writer == nullptr) {
        std::strcpy(e.error, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(writer);
    if (info == nullptr || setjmp(png_jmpbuf(writer)) != 0) {
        if (info == nullptr) {
            std::strcpy(e.error, "out of memory");
        }
        png_destroy_write_struct(&writer, &info);
        return false;
    }
    png_set_write_fn(writer, &e, &on_write, &on_flush);
    png_set_IHDR(writer, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color colours[palette_size];
    for (int i = 0; i < palette_size; ++i) {
        colours[i] = {palette[i].red, palette[i].green, palette[i].blue};
    }
    png_set_PLTE(writer, info, colours, palette_size);
    if (opacity != nullptr) {
        png_set_tRNS(writer, info, opacity, palette_size, nullptr);
    }
    // The fire's heat, and so its indices, changes slowly from row to row: the Up filter alone
    // with zlib's level 2 gave the smallest files among the fast settings (640x480: about 45 KB a frame,
    // about 400 frames a second; all adaptive filters or higher levels cost 2-6 times the time
    // for 7-15 % less).
    png_set_filter(writer, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_level(writer, 2);
    png_write_info(writer, info);
    for (std::int32_t y = 0; y < height; ++y) {
        png_write_row(writer, indices + static_cast<std::size_t>(y) * static_cast<std::size_t>(width));
    }
    png_write_end(writer, nullptr);
    png_destroy_write_struct(&writer, &info);
    return true;
}

}  // namespace

void encode_indexed_png(const std::uint8_t* indices, std::int32_t width, std::int32_t height,
                        const palette_entry* palette, const std::uint8_t* opacity, std::vector<std::uint8_t>& png)
{
    png.clear();
    encoding e{&png, {}};
    if (!encode(e, indices, width, height, palette, opacity)) {
        throw std::runtime_error(std::string("PNG encoding: ") + e.error);
    }
}

}  // namespace pyrelle::tools
