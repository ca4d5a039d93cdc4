#pragma once
// The module's container of 32-bit float samples, which the host's visualisation stream fills
// through the audio_chunk operations. The render loop owns one for its whole life and reuses its
// storage from frame to frame; it is reallocated only when the host asks for another count.
#include <cstdint>

#include "host/host_interfaces.h"

namespace pyrelle {

class sample_chunk final : public audio_chunk {
public:
    sample_chunk() noexcept = default;
    sample_chunk(const sample_chunk&) = delete;
    sample_chunk& operator=(const sample_chunk&) = delete;
    ~sample_chunk();

    float* samples() override { return samples_; }
    const float* samples_const() override { return samples_; }
    std::uint32_t sample_count() override { return count_; }
    // Holds exactly `count` floats afterwards: the first min(old, count) are kept, new ones are
    // zero, 0 frees the storage. A byte size past 32 bits or a failed allocation throws
    // std::bad_alloc and leaves the chunk as it was.
    void set_sample_count(std::uint32_t count) override;
    std::uint32_t host_value_1() override { return host_value_1_; }
    void set_host_value_1(std::uint32_t value) override { host_value_1_ = value; }
    std::uint32_t host_value_2() override { return host_value_2_; }
    std::uint32_t host_value_3() override { return host_value_3_; }
    void set_host_values_2_3(std::uint32_t value_2, std::uint32_t value_3) override
    {
        host_value_2_ = value_2;
        host_value_3_ = value_3;
    }
    std::uint32_t host_value_4() override { return host_value_4_; }
    void set_host_value_4(std::uint32_t value) override { host_value_4_ = value; }

    // Floats allocated; equal to the count after every set_sample_count.
    std::uint32_t capacity() const noexcept { return capacity_; }

    // Frees the storage, as set_sample_count(0) does.
    void clear() noexcept;

private:
    float* samples_ = nullptr;  // null while empty
    std::uint32_t count_ = 0;
    std::uint32_t capacity_ = 0;
    // Kept for the host, never read by the module.
    std::uint32_t host_value_1_ = 0;
    std::uint32_t host_value_2_ = 0;
    std::uint32_t host_value_3_ = 0;
    std::uint32_t host_value_4_ = 0;
};

}  // namespace pyrelle
