// A host built for the Microsoft C++ ABI, driving pyrelle.dll through its whole boundary as a
// player built with Microsoft's compiler does: it loads the DLL by name, walks the service list,
// calls every service's operations and compares every GUID they return by value, makes each
// failure happen and catches it as const std::exception& with its exact text, lets its own
// exceptions pass through the module and counts the references the module took, and loads and
// unloads the module many times.
//
// GoogleTest cannot be built in this ABI here (it needs libc++'s streams), so the checks are a
// macro that prints one line per failed claim; the exit status is the number of failed claims.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "host/host_interfaces.h"

using namespace pyrelle;

namespace {

int failures = 0;

void check(bool claim, const char* text, int line)
{
    if (!claim) {
        std::fprintf(stderr, "FAIL boundary_host.cpp:%d: %s\n", line, text);
        ++failures;
    }
}
#define CHECK(claim) check((claim), #claim, __LINE__)

// What the operation threw, as a host built with Microsoft's compiler sees it.
template <class Operation>
std::string failure_text(Operation&& operation)
{
    try {
        operation();
    } catch (const std::exception& failure) {
        return failure.what();
    } catch (...) {
        return "(an exception that is no std::exception)";
    }
    return "(nothing thrown)";
}

bool same(const guid& a, const guid& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

constexpr guid zero_guid{};
// The values a host knows from the module's documentation, written out here rather than taken
// from the module's sources.
constexpr guid toggle_command{0x27865D33, 0x98EE, 0x4484, {0x9C, 0x46, 0x17, 0x2F, 0x9A, 0xA1, 0xA0, 0x2B}};
constexpr guid visualisations_menu{0x29272FEC, 0x21C7, 0x4B00, {0xA9, 0xA7, 0x01, 0xA8, 0xCE, 0x67, 0x5E, 0xBF}};
constexpr guid settings_page{0xF7FAB292, 0x4B36, 0x4956, {0x8E, 0x27, 0x36, 0x01, 0xE7, 0xE3, 0x57, 0xF3}};
constexpr guid settings_parent{0x494326C8, 0x88FF, 0x4265, {0xB2, 0xB2, 0xE6, 0x47, 0x0B, 0xEE, 0x13, 0xB3}};
constexpr const char* corrupted = "Unsupported format or corrupted file";

// ---- The host's objects ----------------------------------------------------------------------

class host_text final : public text_object {
public:
    void append(const char* s, std::uint32_t max_bytes) override { text_.append(s, bounded(s, max_bytes)); }
    const char* text() const override { return text_.c_str(); }
    void set(const char* s, std::uint32_t max_bytes) override { text_.assign(s, bounded(s, max_bytes)); }
    void truncate(std::uint32_t n) override { text_.resize(std::min<std::size_t>(n, text_.size())); }
    std::uint32_t length() const override { return static_cast<std::uint32_t>(text_.size()); }
    char* open_buffer(std::uint32_t n) override
    {
        text_.assign(n, '\0');
        return text_.data();
    }
    void close_buffer() override { text_.resize(std::strlen(text_.c_str())); }
    const std::string& str() const { return text_; }

private:
    static std::size_t bounded(const char* s, std::uint32_t max_bytes)
    {
        std::size_t n = 0;
        while (n < max_bytes && s[n] != '\0') {
            ++n;
        }
        return n;
    }
    std::string text_;
};

// The host's own failure, which must reach the host through the module's frames.
class host_failure final : public std::exception {
public:
    const char* what() const noexcept override { return "Host object failed"; }
};

// A counted host service (also the host information service); `references` is what others hold.
class counted_service final : public host_information {
public:
    std::uint32_t release() override { return static_cast<std::uint32_t>(--references); }
    std::uint32_t add_ref() override { return static_cast<std::uint32_t>(++references); }
    bool query(service_ref&, const guid&) override { return false; }
    const char* version_text() override
    {
        if (throws) {
            throw host_failure();
        }
        return "8.1";
    }

    int references = 0;
    bool throws = false;
};

// One service class with `instances` instances of `object`; creation may be made to fail.
class host_registry final : public host_service_registry {
public:
    host_registry(const guid& service_class, counted_service* object, std::uint32_t instances)
        : class_(service_class), object_(object), instances_(instances)
    {
    }
    std::uint32_t class_of(const guid* service_class) override { return same(*service_class, class_) ? 1 : 0; }
    bool create_instance(service_ref& out, std::uint32_t handle, std::uint32_t index) override
    {
        ++creations;
        if (handle != 1 || index >= instances_ || creation_fails) {
            return false;
        }
        out.assign(object_);
        return true;
    }
    std::uint32_t instance_count(std::uint32_t handle) override { return handle == 1 ? instances_ : 0; }

    bool creation_fails = false;
    int creations = 0;

private:
    guid class_;
    counted_service* object_;
    std::uint32_t instances_;
};

class never_aborts final : public abort_signal {
public:
    bool is_aborting() const override { return false; }
};
never_aborts no_abort;

class host_writer final : public stream_writer {
public:
    void write(const void* buffer, std::uint32_t count, abort_signal&) override
    {
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        data.insert(data.end(), bytes, bytes + count);
    }
    std::vector<std::uint8_t> data;
};

// Reads a blob; it may claim one byte more than it delivered, or throw the host's own failure.
class host_reader final : public stream_reader {
public:
    enum class fault { none, claims_more, throws };
    host_reader(const std::vector<std::uint8_t>& data, fault behaviour) : data_(data), fault_(behaviour) {}

    std::uint32_t read(void* buffer, std::uint32_t count, abort_signal&) override
    {
        if (fault_ == fault::throws) {
            throw host_failure();
        }
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(count, data_.size() - position_));
        std::memcpy(buffer, data_.data() + position_, n);
        position_ += n;
        return fault_ == fault::claims_more && n != 0 ? n + 1 : n;
    }
    void read_exact(void* buffer, std::uint32_t count, abort_signal& abort) override
    {
        if (read(buffer, count, abort) != count) {
            throw host_failure();
        }
    }
    std::uint64_t skip(std::uint64_t count, abort_signal&) override
    {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(count, data_.size() - position_));
        position_ += n;
        return n;
    }
    void skip_exact(std::uint64_t count, abort_signal& abort) override
    {
        if (skip(count, abort) != count) {
            throw host_failure();
        }
    }

private:
    const std::vector<std::uint8_t>& data_;
    fault fault_;
    std::size_t position_ = 0;
};

// ---- The module as loaded --------------------------------------------------------------------

using get_interface_function = module_interface*(__cdecl*)(host_service_registry*, HINSTANCE);

module_interface* enter(HMODULE library, host_service_registry* registry)
{
    auto const get_interface = reinterpret_cast<get_interface_function>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "orvanel_get_interface")));
    return get_interface != nullptr ? get_interface(registry, library) : nullptr;
}

template <class Service>
Service* service_of(module_interface& module, const guid& service_class)
{
    for (service_entry* entry = module.first_entry(); entry != nullptr; entry = entry->next) {
        if (same(*entry->service_class, service_class)) {
            service_ref out;
            entry->instantiate(out);
            return static_cast<Service*>(out.get());  // a static object: the reference costs nothing
        }
    }
    return nullptr;
}

void walk_service_list(module_interface& module)
{
    const guid* const expected[] = {&playback_listener_class, &lifecycle_class, &preferences_page_class,
                                    &menu_command_class, &component_info_class};
    service_entry* entry = module.first_entry();
    for (const guid* service_class : expected) {
        CHECK(entry != nullptr);
        if (entry == nullptr) {
            return;
        }
        CHECK(same(*entry->service_class, *service_class));
        // Instantiating into a holder that holds a host object releases that object.
        counted_service previous;
        service_ref out;
        out.assign(&previous);
        entry->instantiate(out);
        CHECK(previous.references == 0);
        CHECK(out.get() != nullptr);
        service_ref same_again;
        CHECK(out->query(same_again, *service_class));
        CHECK(same_again.get() == out.get());
        service_ref untouched;
        untouched.assign(&previous);
        CHECK(!out->query(untouched, host_information_class));
        CHECK(untouched.get() == &previous);
        untouched.reset();
        entry = entry->next;
    }
    CHECK(entry == nullptr);
}

void call_component_services(module_interface& module)
{
    auto* const info = service_of<component_info>(module, component_info_class);
    auto* const menu = service_of<menu_command>(module, menu_command_class);
    auto* const starter = service_of<lifecycle>(module, lifecycle_class);
    auto* const listener = service_of<playback_listener>(module, playback_listener_class);
    CHECK(info != nullptr && menu != nullptr && starter != nullptr && listener != nullptr);
    if (info == nullptr || menu == nullptr || starter == nullptr || listener == nullptr) {
        return;
    }

    host_text text;
    info->file_name(text);
    CHECK(text.str().empty());
    module.set_module_texts("first", "C:\\Orvanel\\components\\pyrelle.dll");
    info->file_name(text);
    CHECK(text.str() == "C:\\Orvanel\\components\\pyrelle.dll");
    info->name(text);
    CHECK(text.str() == "Pyrelle visualisation");
    info->version(text);
    CHECK(text.str() == "0.93");
    info->about(text);
    CHECK(text.str().rfind("Compiled: ", 0) == 0);

    // GUIDs by value: where the ABIs differ, a host reads zeros here.
    CHECK(same(menu->command_guid(0), toggle_command));
    CHECK(same(menu->command_guid(1), zero_guid));
    CHECK(same(menu->parent_guid(), visualisations_menu));
    CHECK(menu->command_count() == 1);
    CHECK(menu->ordering_value() == 0x80000000u);
    menu->command_name(0, text);
    CHECK(text.str() == "Pyrelle visualisation");
    CHECK(menu->command_description(0, text));
    CHECK(text.str() == "Toggle on/off pyrelle visualisation.");
    CHECK(!menu->command_description(1, text));
    std::uint32_t flags = 99;
    CHECK(menu->display_state(0, text, &flags));
    CHECK(flags == menu_flag_disabled);  // no display modes before the start-up notice
    counted_service callback;
    callback.add_ref();  // the reference that travels with the call
    menu->execute(1, &callback);
    CHECK(callback.references == 0);

    starter->on_start();
    CHECK(menu->display_state(3, text, &flags));
    CHECK(flags == 0);
    starter->on_shutdown();

    CHECK(listener->event_mask() == 22);
    playback_events& events = *listener;
    counted_service track;
    track.add_ref();
    events.on_new_track(&track);
    CHECK(track.references == 0);
    counted_service reference;
    reference.add_ref();
    events.on_event_5(&reference);
    CHECK(reference.references == 0);
    events.on_stop(1);
    events.on_pause(false);
    events.on_event_0(1);
    events.on_event_3(2);
    events.on_event_6(3);
    events.on_event_7(4);
    events.on_event_8(5);
    events.on_event_9(6);
    CHECK(!module.report_flag());
    module.store_host_flag(true);
    CHECK(module.interface_version() == 71);
}

void read_and_write_settings(module_interface& module)
{
    host_writer defaults;
    module.write_configuration(defaults, no_abort);
    CHECK(defaults.data.size() > 20);

    host_reader whole(defaults.data, host_reader::fault::none);
    CHECK(failure_text([&] { module.read_configuration(whole, no_abort); }) == "(nothing thrown)");

    // The first record, cut one byte short of its end.
    std::uint32_t first_size = 0;
    std::memcpy(&first_size, defaults.data.data() + 16, sizeof first_size);
    const std::vector<std::uint8_t> damaged(defaults.data.begin(), defaults.data.begin() + 20 + first_size - 1);
    host_reader damaged_reader(damaged, host_reader::fault::none);
    CHECK(failure_text([&] { module.read_configuration(damaged_reader, no_abort); }) == corrupted);

    host_reader boasting(defaults.data, host_reader::fault::claims_more);
    CHECK(failure_text([&] { module.read_configuration(boasting, no_abort); }) == corrupted);

    // The host's own exception comes back as itself, and the settings are as they were.
    host_reader failing(defaults.data, host_reader::fault::throws);
    bool caught_as_itself = false;
    try {
        module.read_configuration(failing, no_abort);
    } catch (const host_failure&) {
        caught_as_itself = true;
    }
    CHECK(caught_as_itself);
    host_writer after;
    module.write_configuration(after, no_abort);
    CHECK(after.data == defaults.data);
}

void look_up_host_services(HMODULE library)
{
    counted_service information;
    host_text text;

    host_registry none(host_information_class, &information, 0);
    module_interface* module = enter(library, &none);
    auto* page = service_of<preferences_page>(*module, preferences_page_class);
    CHECK(page != nullptr);
    if (page == nullptr) {
        return;
    }
    CHECK(same(page->page_guid(), settings_page));
    CHECK(same(page->page_parent_guid(), settings_parent));
    CHECK(std::strcmp(page->page_name(), "Pyrelle visualisation") == 0);
    CHECK(page->reset_supported());
    CHECK(failure_text([&] { page->help_url(text); }) == "Service not found");

    host_registry two(host_information_class, &information, 2);
    enter(library, &two);
    CHECK(failure_text([&] { page->help_url(text); }) == "Service duplicated");
    CHECK(two.creations == 0);

    host_registry broken(host_information_class, &information, 1);
    broken.creation_fails = true;
    enter(library, &broken);
    CHECK(failure_text([&] { page->help_url(text); }) == "Bug check");

    host_registry one(host_information_class, &information, 1);
    enter(library, &one);
    CHECK(page->help_url(text));
    CHECK(text.str().find("8.1") != std::string::npos);
    CHECK(information.references == 0);

    // Thrown by the host while the module holds a reference: the module's frames unwind and give
    // the reference back.
    information.throws = true;
    CHECK(failure_text([&] { page->help_url(text); }) == "Host object failed");
    CHECK(information.references == 0);
    information.throws = false;

    HWND const parent = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
    HWND const window = page->create_window(parent);
    CHECK(window != nullptr);
    DestroyWindow(parent);
    page->reset();
}

// Leaves the address space without a free range of `size` bytes, until the reservations go.
class address_space_filler {
public:
    explicit address_space_filler(std::size_t size)
    {
        reserved_.reserve(8192);
        for (std::size_t block = std::size_t{1} << 30; block >= size / 2; block /= 2) {
            while (void* const range = VirtualAlloc(nullptr, block, MEM_RESERVE, PAGE_NOACCESS)) {
                if (reserved_.size() == reserved_.capacity()) {
                    VirtualFree(range, 0, MEM_RELEASE);
                    return;
                }
                reserved_.push_back(range);
            }
        }
    }
    ~address_space_filler()
    {
        for (void* const range : reserved_) {
            VirtualFree(range, 0, MEM_RELEASE);
        }
    }
    address_space_filler(const address_space_filler&) = delete;
    address_space_filler& operator=(const address_space_filler&) = delete;

private:
    std::vector<void*> reserved_;
};

void fail_an_allocation(module_interface& module)
{
    auto* const info = service_of<component_info>(module, component_info_class);
    const std::string huge(std::size_t{48} << 20, 'x');
    module.set_module_texts("first", "kept");
    {
        const address_space_filler filler(huge.size());
        CHECK(failure_text([&] { module.set_module_texts("first", huge.c_str()); }) == "bad allocation");
    }
    host_text text;
    info->file_name(text);
    CHECK(text.str() == "kept");
}

void load_and_unload_many_times()
{
    for (int round = 0; round < 40; ++round) {
        HMODULE const library = LoadLibraryW(L"pyrelle.dll");
        CHECK(library != nullptr);
        if (library == nullptr) {
            return;
        }
        module_interface* const module = enter(library, nullptr);
        auto* const info = service_of<component_info>(*module, component_info_class);
        host_text text;
        info->file_name(text);
        CHECK(text.str().empty());  // every load starts fresh
        module->set_module_texts("first", "C:\\pyrelle.dll");
        CHECK(FreeLibrary(library));
        CHECK(GetModuleHandleW(L"pyrelle.dll") == nullptr);
    }
}

}  // namespace

int main()
{
    HMODULE const library = LoadLibraryW(L"pyrelle.dll");
    if (library == nullptr) {
        std::fprintf(stderr, "FAIL: pyrelle.dll does not load (error %lu)\n", GetLastError());
        return 1;
    }
    module_interface* const module = enter(library, nullptr);
    CHECK(module != nullptr);
    if (module != nullptr) {
        walk_service_list(*module);
        call_component_services(*module);
        read_and_write_settings(*module);
        fail_an_allocation(*module);
        look_up_host_services(library);
    }
    FreeLibrary(library);
    load_and_unload_many_times();

    if (failures == 0) {
        std::printf("boundary_host: every claim held\n");
    }
    return failures == 0 ? 0 : 1;
}
