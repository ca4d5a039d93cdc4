#pragma once
// The two services that the host offers the module: its version text, and the visualisation
// manager whose streams hand the render thread the samples playing at this moment.
#include <atomic>
#include <cstdint>

#include "host/host_interfaces.h"
#include "host_standin/orvanel_host/host_objects.h"
#include "host_standin/playback/player.h"

namespace pyrelle::standin {

// The version text that the module puts into its help address.
inline constexpr char host_version_text[] = "orvanel-host-1.0";

class host_information_service final : public resident_service<host_information> {
public:
    const char* version_text() override { return host_version_text; }

private:
    const guid& own_class() const noexcept override { return host_information_class; }
};

// Streams count every fill_chunk call, for the script's `frames`.
class visualisation_service final : public resident_service<visualisation_manager> {
public:
    explicit visualisation_service(const player& source) noexcept : source_(source) {}

    void create_stream(service_ref& out, std::uint32_t flags) override;

    std::uint32_t fill_chunk_calls() const noexcept { return fill_chunk_calls_.load(); }

private:
    class stream;
    const guid& own_class() const noexcept override { return visualisation_manager_class; }

    const player& source_;
    std::atomic<std::uint32_t> fill_chunk_calls_{0};
};

}  // namespace pyrelle::standin
