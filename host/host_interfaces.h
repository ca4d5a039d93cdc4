#pragma once
// The objects that the module and the Orvanel host exchange. Each is a table of numbered
// operations; the slot order of every virtual table below is the contract with the host, so no
// operation may be added, removed or reordered, and none of these classes has a virtual
// destructor (each side frees only its own objects).
//
// What the two sides must agree on is the C++ ABI, not the compiler: the layout of these virtual
// tables, how a member function returns a GUID by value (Microsoft's ABI passes `this` first and
// the result's address second; GCC's mingw-w64 ABI swaps them), and how exceptions travel. The
// module throws only classes derived from std::exception, so the host must catch through the same
// std::exception and the same unwinding: a host built with Microsoft's compiler needs the module
// built for the Microsoft ABI (the `windows` preset: SEH-based exceptions, Microsoft's
// std::exception layout, Microsoft's runtime DLLs); the stand-in built by mingw-w64 GCC needs the
// GCC build (`win32`), whose exceptions cross through the GCC runtime DLLs the two share.
//
// A counted reference that one side hands the other *by value* (a track, a command callback)
// travels as a plain `service_base*` carrying one reference, which the receiver releases before
// returning. A counted reference *to fill* travels as `service_ref&`.
#include <windows.h>

#include <cstdint>

#include "config/streams.h"
#include "host/service_ptr.h"
#include "support/guid.h"
#include "support/text_object.h"

namespace pyrelle {

class service_base;
using service_ref = service_ptr<service_base>;

// The three operations with which every service object begins, the module's and the host's.
class service_base {
public:
    virtual std::uint32_t release() = 0;  // 0
    virtual std::uint32_t add_ref() = 0;  // 1
    // True, with `out` holding this object, only for the object's own service class.
    virtual bool query(service_ref& out, const guid& service_class) = 0;  // 2

protected:
    ~service_base() = default;
};

// ---- The host's side ------------------------------------------------------------------------

class host_service_registry {
public:
    virtual std::uint32_t class_of(const guid* service_class) = 0;  // 0
    // True when `out` now holds instance `index` with one reference for the caller.
    virtual bool create_instance(service_ref& out, std::uint32_t class_handle, std::uint32_t index) = 0;  // 1
    virtual std::uint32_t instance_count(std::uint32_t class_handle) = 0;                                 // 2

protected:
    ~host_service_registry() = default;
};

// {0C36A649-9EA0-4F48-B229-0CB2AA9AB6F4}
constexpr guid host_information_class{0x0C36A649, 0x9EA0, 0x4F48, {0xB2, 0x29, 0x0C, 0xB2, 0xAA, 0x9A, 0xB6, 0xF4}};
// {98B00B13-8C0E-49FF-B17C-5E537D3AE4B7}
constexpr guid visualisation_manager_class{
    0x98B00B13, 0x8C0E, 0x49FF, {0xB1, 0x7C, 0x5E, 0x53, 0x7D, 0x3A, 0xE4, 0xB7}};

class host_information : public service_base {
public:
    // A UTF-8 text that stays valid after the reference is released (the host's version).
    virtual const char* version_text() = 0;  // 3

protected:
    ~host_information() = default;
};

// The host's sample-chunk interface, which the module implements (fire/sample_chunk.h) and the
// host's visualisation stream fills.
class audio_chunk {
public:
    virtual float* samples() = 0;              // 0
    virtual const float* samples_const() = 0;  // 1, same pointer
    virtual std::uint32_t sample_count() = 0;  // 2
    // Holds exactly `count` floats afterwards, keeping the first ones; throws std::bad_alloc.
    virtual void set_sample_count(std::uint32_t count) = 0;                              // 3
    virtual std::uint32_t host_value_1() = 0;                                            // 4
    virtual void set_host_value_1(std::uint32_t value) = 0;                              // 5
    virtual std::uint32_t host_value_2() = 0;                                            // 6
    virtual std::uint32_t host_value_3() = 0;                                            // 7
    virtual void set_host_values_2_3(std::uint32_t value_2, std::uint32_t value_3) = 0;  // 8
    virtual std::uint32_t host_value_4() = 0;                                            // 9
    virtual void set_host_value_4(std::uint32_t value) = 0;                              // 10

protected:
    ~audio_chunk() = default;
};

// Requested size of every chunk the module asks for.
constexpr std::uint32_t requested_chunk_size = 4096;

class visualisation_stream : public service_base {
public:
    // True with the playing position in seconds; false when there is no audio.
    virtual bool current_time(double* time) = 0;  // 3
    virtual bool is_active() = 0;                 // 4, unused here
    // True when it filled the chunk with audio for that time.
    virtual bool fill_chunk(audio_chunk& chunk, double time, std::uint32_t size) = 0;  // 5
    virtual void set_channel_mode(std::uint32_t mode) = 0;                             // 6, unused here
    // Fills the chunk with data of the same form; for when fill_chunk failed.
    virtual bool fill_chunk_fallback(audio_chunk& chunk, double time, std::uint32_t size) = 0;  // 7

protected:
    ~visualisation_stream() = default;
};

class visualisation_manager : public service_base {
public:
    // `out` receives a new visualisation_stream with one reference for the caller; flags 0.
    virtual void create_stream(service_ref& out, std::uint32_t flags) = 0;  // 3

protected:
    ~visualisation_manager() = default;
};

// ---- The module's side ----------------------------------------------------------------------

// One node of the module's static service list. The host reads `next` and `service_class`
// directly, so the field order is part of the contract.
class service_entry {
public:
    // `out` holds the entry's service object afterwards (assign rule).
    virtual void instantiate(service_ref& out) = 0;  // 0

    service_entry* next = nullptr;
    const guid* service_class = nullptr;

protected:
    ~service_entry() = default;
};

class module_interface {
public:
    virtual std::uint32_t interface_version() = 0;                                  // 0
    virtual service_entry* first_entry() = 0;                                       // 1
    virtual void write_configuration(stream_writer& out, abort_signal& abort) = 0;  // 2
    virtual void read_configuration(stream_reader& in, abort_signal& abort) = 0;    // 3
    virtual void set_module_texts(const char* first, const char* file_name) = 0;    // 4
    virtual void store_host_flag(bool flag) = 0;                                    // 5
    virtual bool report_flag() = 0;                                                 // 6

protected:
    ~module_interface() = default;
};

constexpr std::uint32_t module_interface_version = 71;

// {10BB3EBD-DDF7-4975-A3CC-23084829453E}
constexpr guid component_info_class{0x10BB3EBD, 0xDDF7, 0x4975, {0xA3, 0xCC, 0x23, 0x08, 0x48, 0x29, 0x45, 0x3E}};
// {35077B8C-6E70-47BA-B9DD-D51500E12F2E}
constexpr guid menu_command_class{0x35077B8C, 0x6E70, 0x47BA, {0xB9, 0xDD, 0xD5, 0x15, 0x00, 0xE1, 0x2F, 0x2E}};
// {7255E8D0-3FCF-4781-B93B-D06CB88DFAFA}
constexpr guid preferences_page_class{0x7255E8D0, 0x3FCF, 0x4781, {0xB9, 0x3B, 0xD0, 0x6C, 0xB8, 0x8D, 0xFA, 0xFA}};
// {113773C4-B387-4B48-8BDF-AB58BC6CE538}
constexpr guid lifecycle_class{0x113773C4, 0xB387, 0x4B48, {0x8B, 0xDF, 0xAB, 0x58, 0xBC, 0x6C, 0xE5, 0x38}};
// {8E4EED7A-C6B8-49C7-99FE-97E04AAA63A8}
constexpr guid playback_listener_class{0x8E4EED7A, 0xC6B8, 0x49C7, {0x99, 0xFE, 0x97, 0xE0, 0x4A, 0xAA, 0x63, 0xA8}};

class component_info : public service_base {
public:
    virtual void file_name(text_object& out) = 0;  // 3
    virtual void name(text_object& out) = 0;       // 4
    virtual void version(text_object& out) = 0;    // 5
    virtual void about(text_object& out) = 0;      // 6

protected:
    ~component_info() = default;
};

// Flags that display_state writes.
constexpr std::uint32_t menu_flag_disabled = 1;
constexpr std::uint32_t menu_flag_checked = 2;

class menu_command : public service_base {
public:
    virtual std::uint32_t command_count() = 0;                                                    // 3
    virtual guid command_guid(std::uint32_t index) = 0;                                           // 4
    virtual void command_name(std::uint32_t index, text_object& out) = 0;                         // 5
    virtual bool command_description(std::uint32_t index, text_object& out) = 0;                  // 6
    virtual guid parent_guid() = 0;                                                               // 7
    virtual std::uint32_t ordering_value() = 0;                                                   // 8
    virtual bool display_state(std::uint32_t index, text_object& out, std::uint32_t* flags) = 0;  // 9
    // `callback` carries one reference, which the module releases before returning.
    virtual void execute(std::uint32_t index, service_base* callback) = 0;  // 10

protected:
    ~menu_command() = default;
};

class lifecycle : public service_base {
public:
    virtual void on_start() = 0;     // 3
    virtual void on_shutdown() = 0;  // 4

protected:
    ~lifecycle() = default;
};

// The second operation table of the playback listener. Bit n of event_mask() asks for event n.
class playback_events {
public:
    virtual void on_event_0(std::uint64_t value) = 0;      // 0
    virtual void on_new_track(service_base* track) = 0;    // 1, releases `track`
    virtual void on_stop(std::uint32_t reason) = 0;        // 2
    virtual void on_event_3(std::uint64_t value) = 0;      // 3
    virtual void on_pause(bool paused) = 0;                // 4
    virtual void on_event_5(service_base* reference) = 0;  // 5, releases `reference`
    virtual void on_event_6(std::uint32_t value) = 0;      // 6
    virtual void on_event_7(std::uint32_t value) = 0;      // 7
    virtual void on_event_8(std::uint64_t value) = 0;      // 8
    virtual void on_event_9(std::uint32_t value) = 0;      // 9

protected:
    ~playback_events() = default;
};

// The listener object carries two tables: the service table first, the event table right after it.
class playback_listener : public service_base, public playback_events {
public:
    virtual std::uint32_t event_mask() = 0;  // 3 of the service table

protected:
    ~playback_listener() = default;
};

class preferences_page : public service_base {
public:
    virtual HWND create_window(HWND parent) = 0;  // 3
    virtual const char* page_name() = 0;          // 4
    virtual guid page_guid() = 0;                 // 5
    virtual guid page_parent_guid() = 0;          // 6
    virtual bool reset_supported() = 0;           // 7
    virtual void reset() = 0;                     // 8
    virtual bool help_url(text_object& out) = 0;  // 9

protected:
    ~preferences_page() = default;
};

// How a part of the module reaches the host's single instance of a service class: `find` fills
// `out` with it or throws exception_service_not_found, exception_service_duplicated or
// exception_bug_check. The module entry hands one to each part that needs a host service. Not a
// host object: the module's own, and the tests'.
class service_finder {
public:
    virtual void find(const guid& service_class, service_ref& out) const = 0;

protected:
    service_finder() = default;
    service_finder(const service_finder&) = default;
    service_finder& operator=(const service_finder&) = default;
    ~service_finder() = default;
};

}  // namespace pyrelle

// The module's only export. Stores both arguments and returns the module's interface.
extern "C" pyrelle::module_interface* __cdecl orvanel_get_interface(pyrelle::host_service_registry* registry,
                                                                    HINSTANCE module_instance);

// Functions of the host's `shared` library (shared.dll) that the module imports by name.
extern "C" {

// CreateWindowExW's arguments in the same order, with the class name and title as UTF-8. The
// creation messages reach the window procedure before it returns, `param` as the creation
// parameter. Returns the window or null.
__declspec(dllimport) HWND __cdecl uCreateWindowEx(DWORD ex_style, const char* class_name, const char* title,
                                                   DWORD style, int x, int y, int width, int height, HWND parent,
                                                   HMENU menu, HINSTANCE instance, void* param);

// The colour picker: `colour` in is the colour to start from, out the chosen one; `custom_colours`
// points at 16 COLORREFs. Non-zero when the user accepted a colour.
__declspec(dllimport) BOOL __cdecl uChooseColor(DWORD* colour, HWND owner, DWORD* custom_colours);
}
