// pyrelle.cfg in the profile folder: read at start, written at exit, a rejected file kept aside.
#include "host_standin/orvanel_host/profile.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/config_blob.h"
#include "config/configuration.h"
#include "host_standin/orvanel_host/file_streams.h"
#include "host_standin/orvanel_host/wide_text.h"

namespace pyrelle::standin {
namespace {

using bytes = std::vector<char>;

bytes fixture(const std::string& name)
{
    std::ifstream file(std::string(PYRELLE_TEST_DATA_DIR) + "/config/" + name, std::ios::binary);
    if (!file) {
        throw std::runtime_error("missing fixture " + name);
    }
    return bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A module whose settings are the real configuration, read and written by the real blob code.
class settings_module final : public module_interface {
public:
    std::uint32_t interface_version() override { return module_interface_version; }
    service_entry* first_entry() override { return nullptr; }
    void write_configuration(stream_writer& out, abort_signal& abort) override
    {
        if (fail_writing) {
            // Half a blob, then the failure: what a crash or a full disk leaves.
            out.write("partial", 7, abort);
            throw std::runtime_error("disk full");
        }
        pyrelle::write_configuration(settings, out, abort);
    }
    void read_configuration(stream_reader& in, abort_signal& abort) override
    {
        pyrelle::read_configuration(settings, in, abort);
    }
    void set_module_texts(const char*, const char*) override {}
    void store_host_flag(bool) override {}
    bool report_flag() override { return false; }

    configuration settings;
    bool fail_writing = false;
};

// A fresh, empty folder for each test, removed afterwards.
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        folder_ = std::wstring(base) + L"orvanel-profile-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                  widen(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ::CreateDirectoryW(folder_.c_str(), nullptr);
    }
    void TearDown() override { remove_tree(folder_); }

    static void remove_tree(const std::wstring& folder)
    {
        WIN32_FIND_DATAW found;
        const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") {
                    continue;
                }
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                    remove_tree(folder + L"\\" + name);
                } else {
                    ::DeleteFileW((folder + L"\\" + name).c_str());
                }
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        ::RemoveDirectoryW(folder.c_str());
    }

    std::wstring path(const wchar_t* name) const { return folder_ + L"\\" + name; }
    bool exists(const wchar_t* name) const
    {
        return ::GetFileAttributesW(path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // The name a save of this process writes before its rename.
    bool own_temporary_left() const
    {
        const std::wstring name = L"pyrelle.cfg." + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
        return exists(name.c_str());
    }

    void put(const wchar_t* name, const bytes& content) const
    {
        file_writer writer(path(name));
        never_abort abort;
        writer.write(content.data(), static_cast<std::uint32_t>(content.size()), abort);
        writer.finish();
    }
    bytes take(const wchar_t* name) const
    {
        file_reader reader(path(name));
        never_abort abort;
        bytes content(4096);
        content.resize(reader.read(content.data(), static_cast<std::uint32_t>(content.size()), abort));
        return content;
    }

    std::wstring folder_;
};

TEST_F(ProfileTest, NoFileLeavesTheDefaults)
{
    settings_module module;
    profile subject(folder_);
    EXPECT_EQ(subject.load(module).what, load_outcome::no_file);
    EXPECT_EQ(module.settings.low_colour.value, initial_low_colour);
}

TEST_F(ProfileTest, AStoredFileIsApplied)
{
    put(L"pyrelle.cfg", fixture("custom_values.bin"));
    settings_module module;
    profile subject(folder_ + L"\\");  // a trailing separator is fine
    EXPECT_EQ(subject.load(module).what, load_outcome::loaded);
    EXPECT_EQ(module.settings.high_colour.value, 0x12345678);
    EXPECT_EQ(module.settings.display_mode_index.value, 3);
}

TEST_F(ProfileTest, ARejectedFileIsKeptAsideUntouchedAndTheDefaultsStay)
{
    // A complete low_colour record, then a record that breaks off inside its size field.
    const bytes damaged = fixture("truncated_in_size.bin");
    put(L"pyrelle.cfg", damaged);
    settings_module module;
    profile subject(folder_);

    const load_outcome outcome = subject.load(module);
    EXPECT_EQ(outcome.what, load_outcome::rejected);
    EXPECT_EQ(outcome.reason, "Unsupported format or corrupted file");
    EXPECT_EQ(outcome.kept_aside_as, path(L"pyrelle.cfg.bad"));
    EXPECT_FALSE(exists(L"pyrelle.cfg"));
    EXPECT_EQ(take(L"pyrelle.cfg.bad"), damaged);
    // The record before the damage was applied by the module and then undone.
    EXPECT_EQ(module.settings.low_colour.value, initial_low_colour);

    // A second damaged file does not overwrite the first one kept aside.
    put(L"pyrelle.cfg", fixture("truncated_in_payload.bin"));
    EXPECT_EQ(subject.load(module).kept_aside_as, path(L"pyrelle.cfg.2.bad"));
    EXPECT_EQ(take(L"pyrelle.cfg.bad"), damaged);

    // With every name up to .999.bad taken, the file stays where it is and is never replaced.
    for (int n = 3; n <= 999; ++n) {
        put((L"pyrelle.cfg." + std::to_wstring(n) + L".bad").c_str(), {});
    }
    put(L"pyrelle.cfg", damaged);
    const load_outcome stuck = subject.load(module);
    EXPECT_EQ(stuck.what, load_outcome::rejected);
    EXPECT_TRUE(stuck.kept_aside_as.empty());
    EXPECT_NE(describe(stuck, subject.config_path()).find("left as it is (every name"), std::string::npos);
    EXPECT_EQ(subject.save(module), save_outcome::left_alone);
    EXPECT_EQ(take(L"pyrelle.cfg"), damaged);
    EXPECT_EQ(take(L"pyrelle.cfg.bad"), damaged);
}

// Whatever stands at pyrelle.cfg and cannot be read is reported, and the defaults are used and
// never written over it.
TEST_F(ProfileTest, WhatCannotBeReadIsReportedAndLeftAlone)
{
    settings_module module;
    profile subject(folder_);

    // A file another program holds open without sharing.
    const bytes stored = fixture("custom_values.bin");
    put(L"pyrelle.cfg", stored);
    {
        file_handle held(::CreateFileW(path(L"pyrelle.cfg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        const load_outcome outcome = subject.load(module);
        EXPECT_EQ(outcome.what, load_outcome::unreadable);
        EXPECT_NE(outcome.reason.find(narrow(subject.config_path())), std::string::npos) << outcome.reason;
        EXPECT_EQ(module.settings.high_colour.value, initial_high_colour);
        EXPECT_EQ(subject.save(module), save_outcome::left_alone);
    }
    EXPECT_EQ(take(L"pyrelle.cfg"), stored);
    EXPECT_FALSE(own_temporary_left());

    // A folder of that name.
    ::DeleteFileW(path(L"pyrelle.cfg").c_str());
    ASSERT_TRUE(::CreateDirectoryW(path(L"pyrelle.cfg").c_str(), nullptr));
    const load_outcome outcome = subject.load(module);
    EXPECT_EQ(outcome.what, load_outcome::unreadable);
    EXPECT_EQ(outcome.reason, "it is a folder, not a file");
    EXPECT_EQ(subject.save(module), save_outcome::left_alone);
    EXPECT_NE(::GetFileAttributesW(path(L"pyrelle.cfg").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);

    // Once the folder is gone, a later start reads nothing and saves again.
    ::RemoveDirectoryW(path(L"pyrelle.cfg").c_str());
    EXPECT_EQ(subject.load(module).what, load_outcome::no_file);
    EXPECT_EQ(subject.save(module), save_outcome::written);
}

TEST_F(ProfileTest, SavingWritesTheModulesBlobAndLeavesNoTemporaryFile)
{
    settings_module module;
    module.settings.middle_colour.value = 0x00FF8000;
    profile subject(folder_);
    const bytes users_own = {0x55, 0x73, 0x65, 0x72};  // "User": a file that happens to bear the plain name
    put(L"pyrelle.cfg.tmp", users_own);
    EXPECT_EQ(subject.save(module), save_outcome::written);
    EXPECT_FALSE(own_temporary_left());
    EXPECT_EQ(take(L"pyrelle.cfg.tmp"), users_own);
    const bytes saved = take(L"pyrelle.cfg");
    EXPECT_EQ(saved.size(), 183u);

    settings_module next_start;
    EXPECT_EQ(subject.load(next_start).what, load_outcome::loaded);
    EXPECT_EQ(next_start.settings.middle_colour.value, 0x00FF8000);

    // Saving again replaces the file.
    module.settings.reset();
    subject.save(module);
    EXPECT_EQ(take(L"pyrelle.cfg"), fixture("initial_values.bin"));
}

TEST_F(ProfileTest, AFailedSaveLeavesThePreviousFileAsItWas)
{
    const bytes previous = fixture("custom_values.bin");
    put(L"pyrelle.cfg", previous);
    settings_module module;
    module.fail_writing = true;
    profile subject(folder_);
    EXPECT_THROW(subject.save(module), std::runtime_error);
    EXPECT_EQ(take(L"pyrelle.cfg"), previous);
    EXPECT_FALSE(own_temporary_left());
}

TEST_F(ProfileTest, SavingCreatesAMissingFolder)
{
    settings_module module;
    profile subject(folder_ + L"\\nested");
    subject.save(module);
    EXPECT_EQ(::GetFileAttributesW((folder_ + L"\\nested\\pyrelle.cfg").c_str()) != INVALID_FILE_ATTRIBUTES, true);
}

}  // namespace
}  // namespace pyrelle::standin
