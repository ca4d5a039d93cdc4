// The preferences page, from its dialog template to the settings its controls write. The page is
// opened from the real template (linked into this program) inside a plain host window, and the
// colour picker is answered through the stand-in shared.dll's automation hooks.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "host/service_lookup.h"
#include "host_standin/shared/shared_automation.h"
#include "prefs/mode_enumeration.h"
#include "prefs/preferences_page.h"
#include "prefs/resource_ids.h"
#include "support/credits.h"
#include "support/utf8_string.h"
#include "tests/windows/test_registry.h"

namespace pyrelle {
namespace {

// ---- the template ------------------------------------------------------------------------------

constexpr WORD button_class = 0x0080;
constexpr WORD static_class = 0x0082;
constexpr WORD combo_box_class = 0x0085;

struct control_row {
    DWORD id;
    WORD class_ordinal;
    const wchar_t* class_name;  // as the live window reports it
    std::wstring text;
    DWORD style;
    short x, y, width, height;
};

std::wstring widen(const char* text)
{
    return std::wstring(text, text + std::strlen(text));  // ASCII only
}

// The page's 13 controls in template (and tab) order.
const std::vector<control_row>& expected_controls()
{
    static const std::vector<control_row> rows = {
        {1000, button_class, L"Button", L"Middle temp. color", 0x50010000, 84, 24, 66, 14},
        {1002, static_class, L"Static", L"Direct Draw Pyrelle Visualisation", 0x50020000, 7, 7, 100, 8},
        {1003, static_class, L"Static", widen(PYRELLE_CREDITS_LINE), 0x50020000, 7, 144, 213, 8},
        {1004, button_class, L"Button", L"Flow", 0x50010003, 84, 46, 34, 10},
        {1005, static_class, L"Static",
         L"Note: pyrelle visualisation is activated via menu View\\Visualisations\\Pyrelle visualisation.", 0x50020000,
         7, 103, 309, 8},
        {0xFFFFFFFF, static_class, L"Static", L"Resolution:", 0x50020000, 7, 67, 37, 8},
        {1008, static_class, L"Static", L"Recommended resolution: 640x480x8.", 0x50020000, 7, 85, 124, 8},
        {1014, combo_box_class, L"ComboBox", L"", 0x50210003, 45, 65, 129, 69},
        {1015, button_class, L"Button", L"High temp. color", 0x50010000, 8, 24, 66, 14},
        {1016, button_class, L"Button", L"Low temp. color", 0x50010000, 160, 24, 66, 14},
        {1017, button_class, L"Button", L"Flow", 0x50010003, 8, 46, 31, 10},
        {1018, button_class, L"Button", L"Flow", 0x50010003, 160, 46, 31, 10},
        {1021, static_class, L"Static",
         L"You need to restart pyrelle visualisation for changes you have made on this page to take effect.",
         0x40020000, 7, 119, 306, 8},
    };
    return rows;
}

// Reads an extended dialog template field by field.
class template_reader {
public:
    explicit template_reader(const BYTE* bytes) noexcept : at_(bytes) {}

    WORD word() { return take<WORD>(); }
    DWORD dword() { return take<DWORD>(); }
    short coordinate() { return take<short>(); }
    BYTE byte() { return take<BYTE>(); }
    std::wstring text()
    {
        std::wstring s;
        for (WORD c = word(); c != 0; c = word()) {
            s.push_back(static_cast<wchar_t>(c));
        }
        return s;
    }
    // A text, or 0xFFFF and an ordinal (returned as "#<ordinal>").
    std::wstring text_or_ordinal()
    {
        const WORD first = word();
        if (first == 0xFFFF) {
            return L"#" + std::to_wstring(word());
        }
        std::wstring s(1, static_cast<wchar_t>(first));
        return first == 0 ? std::wstring() : s + text();
    }
    void align_to_dword(const BYTE* base)
    {
        while ((at_ - base) % 4 != 0) {
            ++at_;
        }
    }
    const BYTE* position() const noexcept { return at_; }

private:
    template <typename T>
    T take()
    {
        T value;
        std::memcpy(&value, at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }
    const BYTE* at_;
};

const BYTE* dialog_template(HMODULE module, DWORD* size)
{
    HRSRC const found = FindResourceExW(module, MAKEINTRESOURCEW(5) /* RT_DIALOG */, MAKEINTRESOURCEW(IDD_PREFERENCES),
                                        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (found == nullptr) {
        return nullptr;
    }
    *size = SizeofResource(module, found);
    return static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
}

TEST(PreferencesDialogTemplate, MatchesThePageLayoutFieldByField)
{
    DWORD size = 0;
    const BYTE* const base = dialog_template(GetModuleHandleW(nullptr), &size);
    ASSERT_NE(base, nullptr) << "no US English dialog 101";
    template_reader r(base);

    EXPECT_EQ(r.word(), 1);       // version
    EXPECT_EQ(r.word(), 0xFFFF);  // extended template
    EXPECT_EQ(r.dword(), 0u);     // help id
    EXPECT_EQ(r.dword(), 0u);     // extended style
    EXPECT_EQ(r.dword(), static_cast<DWORD>(WS_CHILD | DS_SETFONT));
    const WORD control_count = r.word();
    ASSERT_EQ(control_count, 13);
    EXPECT_EQ(r.coordinate(), 0);
    EXPECT_EQ(r.coordinate(), 0);
    EXPECT_EQ(r.coordinate(), 323);
    EXPECT_EQ(r.coordinate(), 159);
    EXPECT_EQ(r.text_or_ordinal(), L"");  // menu
    EXPECT_EQ(r.text_or_ordinal(), L"");  // class
    EXPECT_EQ(r.text(), L"");             // title
    EXPECT_EQ(r.word(), 8);               // points
    EXPECT_EQ(r.word(), 0);               // weight
    EXPECT_EQ(r.byte(), 0);               // italic
    EXPECT_EQ(r.byte(), 0);               // character set
    EXPECT_EQ(r.text(), L"Tahoma");

    for (const control_row& row : expected_controls()) {
        SCOPED_TRACE(row.id);
        r.align_to_dword(base);
        EXPECT_EQ(r.dword(), 0u);  // help id
        EXPECT_EQ(r.dword(), 0u);  // extended style
        EXPECT_EQ(r.dword(), row.style);
        EXPECT_EQ(r.coordinate(), row.x);
        EXPECT_EQ(r.coordinate(), row.y);
        EXPECT_EQ(r.coordinate(), row.width);
        EXPECT_EQ(r.coordinate(), row.height);
        EXPECT_EQ(r.dword(), row.id);
        EXPECT_EQ(r.text_or_ordinal(), L"#" + std::to_wstring(row.class_ordinal));
        EXPECT_EQ(r.text_or_ordinal(), row.text);
        EXPECT_EQ(r.word(), 0);  // no creation data
    }
    EXPECT_LE(static_cast<DWORD>(r.position() - base), size);
}

// ---- the live page -----------------------------------------------------------------------------

using test::counting_service;

constexpr COLORREF black = 0;

class PreferencesPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        registry_.add(host_information_class, &host_information_);
        parent_ = CreateWindowExW(0, L"Static", L"Host preferences", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 450,
                                  nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
        display_mode_list scratch;
        ASSERT_TRUE(enumerate_display_modes(modes_, scratch));
        ASSERT_FALSE(modes_.empty());
    }

    void TearDown() override
    {
        if (dialog_ != nullptr) {
            DestroyWindow(dialog_);
        }
        DestroyWindow(parent_);
    }

    configuration& settings() { return settings_; }
    settings_page& page() { return page_; }

    void open()
    {
        dialog_ = page().create_window(parent_);
        ASSERT_NE(dialog_, nullptr);
        ShowWindow(dialog_, SW_SHOW);
    }

    HWND control(int id) const { return GetDlgItem(dialog_, id); }
    bool notice_shown() const { return (GetWindowLongW(control(IDC_RESTART_NOTICE), GWL_STYLE) & WS_VISIBLE) != 0; }
    bool checked(int id) const { return SendMessageW(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    LRESULT selection() const { return SendMessageW(control(IDC_DISPLAY_MODE), CB_GETCURSEL, 0, 0); }
    void click(int id) const { SendMessageW(control(id), BM_CLICK, 0, 0); }
    // What a control sends its dialog, with the notification code of choice.
    void notify(int id, WORD code) const
    {
        SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control(id)));
    }

    std::vector<std::wstring> combo_items() const
    {
        std::vector<std::wstring> items;
        const LRESULT count = SendMessageW(control(IDC_DISPLAY_MODE), CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[64] = {};
            SendMessageW(control(IDC_DISPLAY_MODE), CB_GETLBTEXT, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(text));
            items.emplace_back(text);
        }
        return items;
    }

    counting_service host_information_{host_information_class, "2.1.0"};
    test::test_registry registry_;
    display_mode_list modes_;  // what the adapter offers

    // What the module makes its page with.
    test::registry_finder host_services_{&registry_};
    HINSTANCE instance_ = GetModuleHandleW(nullptr);  // where the dialog template is linked
    configuration settings_;
    display_mode_list page_modes_;
    display_mode_list scratch_;
    settings_page page_{instance_, settings_, display_modes{page_modes_, scratch_}, host_services_};
    HWND parent_ = nullptr;
    HWND dialog_ = nullptr;
};

TEST_F(PreferencesPage, IdentifiesItselfToTheHost)
{
    const settings_page& p = page();
    EXPECT_STREQ(p.page_name(), "Pyrelle visualisation");
    EXPECT_EQ(p.page_guid(), (guid{0xF7FAB292, 0x4B36, 0x4956, {0x8E, 0x27, 0x36, 0x01, 0xE7, 0xE3, 0x57, 0xF3}}));
    EXPECT_EQ(p.page_parent_guid(),
              (guid{0x494326C8, 0x88FF, 0x4265, {0xB2, 0xB2, 0xE6, 0x47, 0x0B, 0xEE, 0x13, 0xB3}}));
    EXPECT_TRUE(p.reset_supported());
}

TEST_F(PreferencesPage, LiveControlsComeFromTheTemplateInTabOrder)
{
    open();
    EXPECT_EQ(GetParent(dialog_), parent_);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(dialog_, GWL_STYLE)) & (WS_CHILD | WS_POPUP | WS_CAPTION),
              static_cast<DWORD>(WS_CHILD));

    HWND child = GetWindow(dialog_, GW_CHILD);
    for (const control_row& row : expected_controls()) {
        SCOPED_TRACE(row.id);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(static_cast<DWORD>(GetDlgCtrlID(child)), row.id);
        wchar_t class_name[32] = {};
        GetClassNameW(child, class_name, 32);
        EXPECT_STREQ(class_name, row.class_name);
        const DWORD style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
        if (row.class_ordinal == combo_box_class) {
            // A combo box hands its scroll bar to its drop-down list.
            EXPECT_EQ(style, row.style & ~static_cast<DWORD>(WS_VSCROLL));
            COMBOBOXINFO parts{};
            parts.cbSize = sizeof(parts);
            ASSERT_TRUE(GetComboBoxInfo(child, &parts));
            EXPECT_NE(GetWindowLongW(parts.hwndList, GWL_STYLE) & WS_VSCROLL, 0);
        } else {
            EXPECT_EQ(style, row.style);
        }
        EXPECT_EQ(GetWindowLongW(child, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0);
        if (row.class_ordinal != combo_box_class) {
            wchar_t text[128] = {};
            GetWindowTextW(child, text, 128);
            EXPECT_EQ(std::wstring(text), row.text);
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);
}

TEST_F(PreferencesPage, OpensWithTheModesListedAndTheInitialSettingsShown)
{
    open();
    const std::vector<std::wstring> items = combo_items();
    ASSERT_EQ(items.size(), modes_.count());
    const std::wregex mode_text(L"[1-9][0-9]*x[1-9][0-9]*x8");
    bool vga_listed = false;
    for (std::uint32_t i = 0; i < items.size(); ++i) {
        EXPECT_TRUE(std::regex_match(items[i], mode_text)) << i;
        if (modes_[i] == display_mode{640, 480, 8}) {
            EXPECT_EQ(items[i], L"640x480x8");
            vga_listed = true;
        }
    }
    EXPECT_TRUE(vga_listed);
    EXPECT_EQ(selection(), 0);
    EXPECT_TRUE(IsWindowEnabled(control(IDC_DISPLAY_MODE)));
    EXPECT_FALSE(checked(IDC_HIGH_FLOW));
    EXPECT_FALSE(checked(IDC_MIDDLE_FLOW));
    EXPECT_FALSE(checked(IDC_LOW_FLOW));
    EXPECT_FALSE(notice_shown());
    EXPECT_EQ(GetWindowLongPtrW(dialog_, DWLP_USER), reinterpret_cast<LONG_PTR>(&page()));
    // Opening rebuilt the module's list.
    EXPECT_TRUE(std::equal(modes_.begin(), modes_.end(), page_modes_.begin(), page_modes_.end()));
}

TEST_F(PreferencesPage, OpensWithStoredFlowSwitchesChecked)
{
    settings().high_flow.value = 1;
    settings().low_flow.value = 0x80;  // any nonzero byte is on
    open();
    EXPECT_TRUE(checked(IDC_HIGH_FLOW));
    EXPECT_FALSE(checked(IDC_MIDDLE_FLOW));
    EXPECT_TRUE(checked(IDC_LOW_FLOW));
    EXPECT_EQ(settings().low_flow.value, 0x80) << "opening stores nothing";
}

TEST_F(PreferencesPage, OpeningBringsTheStoredModeIndexIntoTheList)
{
    const std::int32_t count = static_cast<std::int32_t>(modes_.count());
    ASSERT_GE(count, 3);
    struct index_case {
        std::int32_t stored;
        std::int32_t expected;
    };
    const index_case cases[] = {{count + 2, count - 1}, {count, count - 1}, {-1, 0}, {2, 2}};
    for (const index_case& c : cases) {
        SCOPED_TRACE(c.stored);
        settings().display_mode_index.value = c.stored;
        open();
        EXPECT_EQ(settings().display_mode_index.value, c.expected);
        EXPECT_EQ(selection(), c.expected);
        EXPECT_FALSE(notice_shown());
        DestroyWindow(dialog_);
        dialog_ = nullptr;
    }
}

TEST_F(PreferencesPage, FlowBoxesWriteTheirSwitchAndShowTheNotice)
{
    struct box {
        int id;
        config_bool configuration::* flow;
    };
    const box boxes[] = {{IDC_HIGH_FLOW, &configuration::high_flow},
                         {IDC_MIDDLE_FLOW, &configuration::middle_flow},
                         {IDC_LOW_FLOW, &configuration::low_flow}};
    for (const box& b : boxes) {
        SCOPED_TRACE(b.id);
        open();
        config_bool& flow = settings().*b.flow;
        click(b.id);
        EXPECT_EQ(flow.value, 1);
        EXPECT_TRUE(notice_shown());
        click(b.id);
        EXPECT_EQ(flow.value, 0) << "checking and unchecking leaves the switch as it was";
        EXPECT_TRUE(notice_shown()) << "the notice stays once shown";
        DestroyWindow(dialog_);
        dialog_ = nullptr;
    }
    EXPECT_EQ(settings().high_flow.value + settings().middle_flow.value + settings().low_flow.value, 0);
}

TEST_F(PreferencesPage, CancelledColourPickChangesNothing)
{
    open();
    const DWORD calls = shared_colour_request_count();
    shared_queue_colour_answer(0x00ABCDEF, FALSE);
    click(IDC_LOW_COLOUR);
    EXPECT_EQ(shared_colour_request_count(), calls + 1);
    EXPECT_EQ(settings().low_colour.value, initial_low_colour);
    EXPECT_FALSE(notice_shown());

    // Confirming the very same colour still counts as a change.
    shared_queue_colour_answer(initial_low_colour, TRUE);
    click(IDC_LOW_COLOUR);
    EXPECT_EQ(settings().low_colour.value, initial_low_colour);
    EXPECT_TRUE(notice_shown());
}

TEST_F(PreferencesPage, EachPickerStartsFromItsColourWithBlackCustomColours)
{
    struct button {
        int id;
        config_int configuration::* colour;
        COLORREF stored;
        COLORREF picked;
    };
    const button buttons[] = {{IDC_HIGH_COLOUR, &configuration::high_colour, 0x00102030, 0x00A0B0C0},
                              {IDC_MIDDLE_COLOUR, &configuration::middle_colour, 0x00405060, 0x00D0E0F0},
                              {IDC_LOW_COLOUR, &configuration::low_colour, 0x00708090, 0x00010203}};
    DWORD defined[16];
    for (DWORD i = 0; i < 16; ++i) {
        defined[i] = 0x00111111 * (i + 1);
    }

    open();
    for (const button& b : buttons) {
        SCOPED_TRACE(b.id);
        config_int& colour = settings().*b.colour;
        colour.value = static_cast<std::int32_t>(b.stored);
        // The user defines custom colours in this pick; the next pick must not see them.
        for (const COLORREF answer : {b.picked, b.stored}) {
            shared_queue_colour_answer_with_custom_colours(answer, TRUE, defined);
            const std::int32_t before = colour.value;
            click(b.id);

            DWORD initial = 0xFFFFFFFF;
            HWND owner = nullptr;
            DWORD custom[16];
            std::memset(custom, 0xFF, sizeof(custom));
            ASSERT_TRUE(shared_last_colour_request(&initial, &owner, custom));
            EXPECT_EQ(initial, static_cast<DWORD>(before));
            EXPECT_EQ(owner, dialog_);
            for (const DWORD c : custom) {
                EXPECT_EQ(c, black);
            }
            EXPECT_EQ(colour.value, static_cast<std::int32_t>(answer));
        }
    }
}

TEST_F(PreferencesPage, ModeBoxStoresItsSelectionOnEveryNotification)
{
    open();
    HWND const combo = control(IDC_DISPLAY_MODE);
    SendMessageW(combo, CB_SETCURSEL, 2, 0);  // no notification of its own
    EXPECT_EQ(settings().display_mode_index.value, 0);

    notify(IDC_DISPLAY_MODE, CBN_SETFOCUS);  // the keyboard focus merely moved into the box
    EXPECT_EQ(settings().display_mode_index.value, 2);
    EXPECT_TRUE(notice_shown());

    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    notify(IDC_DISPLAY_MODE, CBN_SELCHANGE);
    EXPECT_EQ(settings().display_mode_index.value, 1);
}

TEST_F(PreferencesPage, OtherCommandsChangeNothing)
{
    open();
    for (const int id : {IDOK, IDCANCEL, IDC_TITLE, IDC_RESTART_NOTICE, 1001, 0xFFFF}) {
        notify(id, BN_CLICKED);
    }
    EXPECT_FALSE(notice_shown());
    EXPECT_EQ(settings().display_mode_index.value, 0);
    EXPECT_EQ(settings().high_flow.value, 0);
}

TEST_F(PreferencesPage, ResetChangesTheSettingsButNotAnOpenPage)
{
    settings().high_colour.value = 0x00010101;
    settings().middle_colour.value = 0x00020202;
    settings().low_colour.value = 0x00030303;
    settings().display_mode_index.value = 2;
    settings().high_flow.value = 1;
    settings().middle_flow.value = 1;
    settings().low_flow.value = 1;
    settings().frame_rate.value = 60;
    open();
    page_modes_.resize(0);

    page().reset();

    EXPECT_EQ(settings().high_colour.value, 0x003EFFFF);
    EXPECT_EQ(settings().middle_colour.value, 0x000000FF);
    EXPECT_EQ(settings().low_colour.value, 0);
    EXPECT_EQ(settings().display_mode_index.value, 0);
    EXPECT_EQ(settings().high_flow.value, 0);
    EXPECT_EQ(settings().middle_flow.value, 0);
    EXPECT_EQ(settings().low_flow.value, 0);
    EXPECT_EQ(settings().frame_rate.value, 24);
    EXPECT_EQ(page_modes_.count(), modes_.count()) << "reset rebuilds the mode list";

    EXPECT_EQ(selection(), 2);
    EXPECT_TRUE(checked(IDC_HIGH_FLOW));
    EXPECT_TRUE(checked(IDC_MIDDLE_FLOW));
    EXPECT_TRUE(checked(IDC_LOW_FLOW));
    EXPECT_FALSE(notice_shown());
}

TEST_F(PreferencesPage, HelpAddressEndsWithThePagesOwnPart)
{
    utf8_string url("previous content");
    EXPECT_TRUE(page().help_url(url));
    EXPECT_STREQ(url.text(),
                 "https://help.orvanel.example/2.1.0/preferences/"
                 "F7FAB292-4B36-4956-8E27-3601E7E357F3/Pyrelle visualisation");
    EXPECT_EQ(host_information_.references(), 0) << "the host information service was kept";
    EXPECT_EQ(host_information_.add_refs(), 1u);
}

TEST_F(PreferencesPage, HelpAddressLookupFailuresReachTheHost)
{
    test::test_registry without_information;
    host_services_.use(&without_information);
    utf8_string url;
    EXPECT_THROW(page().help_url(url), exception_service_not_found);

    test::test_registry with_two;
    with_two.add(host_information_class, &host_information_, 2);
    host_services_.use(&with_two);
    EXPECT_THROW(page().help_url(url), exception_service_duplicated);
    EXPECT_EQ(host_information_.add_refs(), 0u);
}

TEST_F(PreferencesPage, CreateWindowGivesNullWhenTheTemplateIsMissing)
{
    instance_ = GetModuleHandleW(L"kernel32.dll");
    EXPECT_EQ(page().create_window(parent_), nullptr);
}

}  // namespace
}  // namespace pyrelle
