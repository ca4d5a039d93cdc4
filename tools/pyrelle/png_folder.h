#pragma once
// The folder that `--png DIR` fills with one PNG file per frame. Frames are written into a staging
// folder inside DIR and move into place at commit(), where the frame files of an earlier render go,
// so DIR never mixes two renders. Until commit() has succeeded, DIR is as it was before: a failed
// or interrupted render, or a commit that fails halfway, leaves the earlier frames and nothing new.
// Files in DIR that are not frame files (frame_file_name.h), and folders, stay.
#include <cstdint>
#include <string>
#include <vector>

namespace pyrelle::tools {

class png_folder {
public:
    // Makes DIR when it does not exist, and the staging folder inside it. Throws std::runtime_error
    // naming DIR.
    explicit png_folder(const std::string& dir);
    ~png_folder();  // removes the staging folder, and DIR itself when it was made and is empty
    png_folder(const png_folder&) = delete;
    png_folder& operator=(const png_folder&) = delete;

    // Writes frame k's file, the encoded `png` bytes, whole or not at all. Frames come in order
    // from 0. Throws std::runtime_error naming the frame's file in DIR.
    void write(std::uint32_t frame, const std::vector<std::uint8_t>& png);

    // Puts the staged frames on disk, before anything is moved into place.
    void flush();

    // Replaces the earlier render's frames by this one's. Throws std::runtime_error naming the file
    // that could not be moved, after putting DIR back as it was.
    void commit();

private:
    std::string frame_path(const std::string& folder, std::uint32_t frame) const;
    void put_back() noexcept;
    void discard() noexcept;

    std::string dir_, staging_;
    std::string aside_;                     // where the earlier render's frames wait during commit()
    std::vector<std::string> moved_aside_;  // their names
    std::uint32_t moved_in_ = 0;            // this render's frames already in DIR during commit()
    bool made_ = false;                     // DIR did not exist before this render
    std::uint32_t frames_ = 0;
};

}  // namespace pyrelle::tools
