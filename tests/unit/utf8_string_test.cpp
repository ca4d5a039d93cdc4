#include "support/utf8_string.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>

using pyrelle::text_object;
using pyrelle::utf8_string;
using pyrelle::whole_text;

namespace {
// 100 bytes that differ from their neighbours, so a shifted or stale copy shows.
const std::string hundred = [] {
    std::string s;
    for (int i = 0; i < 100; ++i) {
        s += static_cast<char>('!' + i % 90);
    }
    return s;
}();
}  // namespace

TEST(Utf8String, BufferGrowsBy16AndShrinksOnlyWhenMoreThan32Over)
{
    struct step {
        bool append;
        std::string text;
        std::uint32_t length, buffer;
    };
    const step steps[] = {
        {false, "abc", 3, 20},                  // 4 needed, none there: 4 + 16
        {false, std::string(40, 'x'), 40, 57},  // 41 + 16
        {false, "", 0, 1},                      // 57 > 1 + 32: down to exactly 1
        {true, "abc", 3, 20},
        {true, std::string(16, 'y'), 19, 20},  // needs exactly 20: stays
        {true, "z", 20, 37},                   // needs 21
        {false, std::string(4, 'w'), 4, 37},   // 37 is not more than 5 + 32
        {false, std::string(3, 'v'), 3, 4},    // 37 > 4 + 32
    };
    utf8_string s;
    std::string expected;
    for (const step& st : steps) {
        expected = st.append ? expected + st.text : st.text;
        if (st.append) {
            s.append(st.text.c_str(), whole_text);
        } else {
            s.set(st.text.c_str(), whole_text);
        }
        EXPECT_EQ(s.text(), expected);
        EXPECT_EQ(s.length(), st.length);
        EXPECT_EQ(s.buffer_size(), st.buffer) << "after " << (st.append ? "append " : "set ") << st.text;
    }
}

TEST(Utf8String, MaxByteCountStopsTheCopyBeforeTheNul)
{
    utf8_string s("abcdef", 3);
    EXPECT_EQ(std::string(s.text()), "abc");
    s.append("defgh", 2);
    EXPECT_EQ(std::string(s.text()), "abcde");
    s.append("f", 100);  // a limit beyond the NUL stops at the NUL
    s.append("never", 0);
    s.append(nullptr, whole_text);
    EXPECT_EQ(std::string(s.text()), "abcdef");
    EXPECT_EQ(s.length(), 6u);

    // "xyz" with no terminator, as the last bytes of its allocation: a read past the limit is an
    // out-of-bounds read under a memory checker.
    std::unique_ptr<char[]> unterminated(new char[3]{'x', 'y', 'z'});
    s.set(unterminated.get(), 3);
    EXPECT_EQ(std::string(s.text()), "xyz");
    s.append(unterminated.get(), 3);
    EXPECT_EQ(std::string(s.text()), "xyzxyz");
}

TEST(Utf8String, AppendAndSetTakeTextFromTheirOwnBuffer)
{
    utf8_string s("abcdefghijklmnopqrs");  // 19 bytes: a 36-byte buffer that must move to double
    s.append(s.text(), whole_text);
    EXPECT_EQ(std::string(s.text()), "abcdefghijklmnopqrsabcdefghijklmnopqrs");
    s.append(s.text() + 5, 3);
    EXPECT_EQ(std::string(s.text()), "abcdefghijklmnopqrsabcdefghijklmnopqrsfgh");

    // Shrinking moves the buffer out from under the source.
    s.set(hundred.c_str(), whole_text);
    s.set(s.text() + 90, whole_text);
    EXPECT_EQ(std::string(s.text()), hundred.substr(90));
    EXPECT_EQ(s.buffer_size(), 11u);

    // Bytes left behind the terminator by a truncation are still inside the buffer.
    s.set("abcdefgh", whole_text);
    const char* stale = s.text() + 4;
    s.truncate(3);
    s.set(stale, whole_text);
    EXPECT_EQ(std::string(s.text()), "efgh");

    // A pointer at the terminator is an empty text.
    s.set(s.text() + s.length(), whole_text);
    EXPECT_EQ(s.length(), 0u);
}

TEST(Utf8String, EmptyTextIsNeverNullAndForgetsOldText)
{
    utf8_string s;
    ASSERT_NE(s.text(), nullptr);
    EXPECT_STREQ(s.text(), "");

    s.set("abc", whole_text);
    s.truncate(0);  // the buffer stays, the text goes
    EXPECT_EQ(s.buffer_size(), 20u);
    EXPECT_STREQ(s.text(), "");
    s.set("abc", whole_text);
    s.set("", whole_text);
    EXPECT_STREQ(s.text(), "");
    EXPECT_EQ(s.length(), 0u);
}

TEST(Utf8String, TruncateCutsOnlyLongerTextAndShrinksFarOversizedBuffers)
{
    utf8_string s(hundred.c_str());
    ASSERT_EQ(s.buffer_size(), 117u);
    s.truncate(100);
    s.truncate(200);
    EXPECT_EQ(std::string(s.text()), hundred);
    s.truncate(90);  // 117 is within 91 + 32
    EXPECT_EQ(s.buffer_size(), 117u);
    s.truncate(10);
    EXPECT_EQ(s.buffer_size(), 11u);
    EXPECT_EQ(std::string(s.text()), hundred.substr(0, 10));
    EXPECT_EQ(s.length(), 10u);
}

TEST(Utf8String, OpenBufferIsZeroFilledAndCloseBufferTakesTextToFirstNul)
{
    utf8_string s("old text");
    char* b = s.open_buffer(10);
    ASSERT_GE(s.buffer_size(), 11u);
    for (std::uint32_t i = 0; i < s.buffer_size(); ++i) {
        ASSERT_EQ(b[i], 0) << "byte " << i;
    }
    std::memcpy(b, "hello", 5);
    s.close_buffer();
    EXPECT_EQ(std::string(s.text()), "hello");
    EXPECT_EQ(s.length(), 5u);

    // Filled to the last byte: the terminator takes that byte rather than running off the end.
    b = s.open_buffer(3);
    std::memset(b, 'z', s.buffer_size());
    s.close_buffer();
    EXPECT_EQ(s.length(), s.buffer_size() - 1);
    EXPECT_EQ(std::string(s.text()), std::string(s.buffer_size() - 1, 'z'));
}

TEST(Utf8String, CloseBufferSizesTheBufferForItsText)
{
    // A fresh string's open_buffer(n) makes n + 17 bytes; closing on "hello" (6 bytes needed)
    // keeps up to 6 + 32 bytes and shrinks anything larger to exactly 6.
    struct row {
        std::uint32_t opened, size_after;
    };
    const row rows[] = {{20, 37}, {21, 38}, {22, 6}, {100, 6}};
    for (const row& r : rows) {
        utf8_string s;
        char* b = s.open_buffer(r.opened);
        ASSERT_EQ(s.buffer_size(), r.opened + 17);
        std::memcpy(b, "hello", 5);
        s.close_buffer();
        EXPECT_EQ(s.buffer_size(), r.size_after) << "opened " << r.opened;
        EXPECT_EQ(std::string(s.text()), "hello");
    }
}

TEST(Utf8String, OpenBufferThatShrinksLeavesNoStaleLength)
{
    utf8_string s(hundred.c_str());
    s.open_buffer(0);
    ASSERT_EQ(s.buffer_size(), 1u);
    EXPECT_EQ(s.length(), 0u);
    s.truncate(50);  // with the old length this would write past a 1-byte buffer
    s.append("ok", whole_text);
    EXPECT_EQ(std::string(s.text()), "ok");
}

TEST(Utf8String, SizesBeyond32BitsThrowAndKeepTheText)
{
    utf8_string s("keep");
    EXPECT_THROW(s.open_buffer(0xFFFFFFFFu), std::bad_alloc);  // n + 1 wraps
    EXPECT_THROW(s.open_buffer(0xFFFFFFF0u), std::bad_alloc);  // n + 1 + 16 wraps
    EXPECT_EQ(std::string(s.text()), "keep");
    EXPECT_EQ(s.buffer_size(), 21u);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// The host calls a text object through its table of operations, in slot order, with no
// destructor entries. On 32-bit Windows member functions use the thiscall convention.
#if defined(__i386__) && defined(_WIN32)
#define HOST_CALL __attribute__((thiscall))
// The table holds plain function addresses; thiscall on a plain function type is what calls them.
#pragma GCC diagnostic ignored "-Wattributes"
#else
#define HOST_CALL
#endif

namespace {
template <typename Function>
Function slot(text_object* object, int index)
{
    void* const* table;
    std::memcpy(&table, static_cast<const void*>(object), sizeof table);
    Function f;
    std::memcpy(&f, &table[index], sizeof f);
    return f;
}
}  // namespace

TEST(Utf8String, HostReachesEachOperationByItsSlot)
{
    utf8_string s;
    text_object* object = &s;
    using text_op = void(HOST_CALL*)(text_object*, const char*, std::uint32_t);
    using count_op = void(HOST_CALL*)(text_object*, std::uint32_t);

    slot<text_op>(object, 2)(object, "hello", whole_text);
    slot<text_op>(object, 0)(object, " world", whole_text);
    slot<count_op>(object, 3)(object, 8);
    EXPECT_EQ(std::string(slot<const char*(HOST_CALL*)(text_object*)>(object, 1)(object)), "hello wo");
    EXPECT_EQ(slot<std::uint32_t(HOST_CALL*)(text_object*)>(object, 4)(object), 8u);

    char* b = slot<char*(HOST_CALL*)(text_object*, std::uint32_t)>(object, 5)(object, 4);
    std::memcpy(b, "abcd", 4);
    slot<void(HOST_CALL*)(text_object*)>(object, 6)(object);
    EXPECT_EQ(std::string(s.text()), "abcd");
}
#endif
