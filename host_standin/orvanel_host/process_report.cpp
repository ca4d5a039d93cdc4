#include "host_standin/orvanel_host/process_report.h"

#include <psapi.h>
#include <winternl.h>

#include <map>
#include <vector>

namespace pyrelle::standin {
namespace {

// Handle values are multiples of 4 and the system hands out the lowest free ones, so the open
// handles of a program like this one all lie far below this bound.
constexpr std::uintptr_t handle_probe_limit = 0x10000;

// Every open handle, found by asking about every possible value.
std::vector<HANDLE> open_handles()
{
    std::vector<HANDLE> found;
    for (std::uintptr_t value = 4; value < handle_probe_limit; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            found.push_back(reinterpret_cast<HANDLE>(value));
        }
    }
    return found;
}

// How many handles of each object type, so that a leak says what leaks.
std::string handle_kinds(const std::vector<HANDLE>& handles)
{
    using query_object_function = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query_object = reinterpret_cast<query_object_function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
    if (query_object == nullptr) {
        return {};
    }
    constexpr int object_type_information = 2;
    std::map<std::wstring, int> kinds;
    alignas(8) unsigned char buffer[1024];
    for (HANDLE handle : handles) {
        ULONG length = 0;
        if (query_object(handle, object_type_information, buffer, sizeof buffer, &length) < 0) {
            ++kinds[L"?"];
            continue;
        }
        // The answer begins with the type's name as a counted string.
        const auto* name = reinterpret_cast<const UNICODE_STRING*>(buffer);
        ++kinds[std::wstring(name->Buffer, name->Length / sizeof(wchar_t))];
    }
    std::string text;
    for (const auto& [kind, count] : kinds) {
        text += (text.empty() ? "" : ",") + std::string(kind.begin(), kind.end()) + ":" + std::to_string(count);
    }
    return text;
}

// Committed memory that belongs to this process alone, by walking its address space; for
// systems that do not fill in PrivateUsage.
std::uint64_t committed_private_bytes()
{
    std::uint64_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* address = nullptr; ::VirtualQuery(address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            total += region.RegionSize;
        }
        if (region.RegionSize == 0) {
            break;
        }
    }
    return total;
}

}  // namespace

process_figures measure_process()
{
    process_figures figures;
    HANDLE self = ::GetCurrentProcess();
    DWORD handles = 0;
    const std::vector<HANDLE> probed = open_handles();
    // Some systems (Wine) answer 0 here; the probe then gives the count.
    figures.handles =
        ::GetProcessHandleCount(self, &handles) && handles != 0 ? handles : static_cast<std::uint32_t>(probed.size());
    figures.handle_kinds = handle_kinds(probed);
    figures.user_objects = ::GetGuiResources(self, GR_USEROBJECTS);
    figures.gdi_objects = ::GetGuiResources(self, GR_GDIOBJECTS);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (::GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        figures.private_bytes = memory.PrivateUsage;
        figures.working_set_bytes = memory.WorkingSetSize;
    }
    if (figures.private_bytes == 0) {
        figures.private_bytes = committed_private_bytes();
    }
    return figures;
}

std::string describe(const process_figures& figures)
{
    return "handles=" + std::to_string(figures.handles) + " user=" + std::to_string(figures.user_objects) +
           " gdi=" + std::to_string(figures.gdi_objects) +
           " private_kb=" + std::to_string(figures.private_bytes / 1024) +
           " working_set_kb=" + std::to_string(figures.working_set_bytes / 1024) +
           (figures.handle_kinds.empty() ? "" : " kinds=" + figures.handle_kinds);
}

bool window_class_registered(HINSTANCE instance, const wchar_t* class_name)
{
    WNDCLASSEXW found{};
    found.cbSize = sizeof found;
    return ::GetClassInfoExW(instance, class_name, &found) != FALSE;
}

std::string current_display_mode()
{
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    if (!::EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        return "unknown";
    }
    return std::to_string(mode.dmPelsWidth) + "x" + std::to_string(mode.dmPelsHeight) + "x" +
           std::to_string(mode.dmBitsPerPel);
}

}  // namespace pyrelle::standin
