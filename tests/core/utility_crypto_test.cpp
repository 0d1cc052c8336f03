// utility: MD5 and the credential encryption.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "utility.h"
#include "wine_host.h"

namespace {

std::string hex(const unsigned char* bytes, size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

std::string md5_hex(const std::string& text) {
    unsigned char digest[16];
    utility::md5_encrypt(reinterpret_cast<const unsigned char*>(text.data()), static_cast<unsigned>(text.size()),
                         digest);
    return hex(digest, 16);
}

mem_chunk<unsigned char> chunk_of(const std::string& bytes) {
    mem_chunk<unsigned char> chunk;
    chunk.append(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    return chunk;
}

std::string bytes_of(const mem_chunk<unsigned char>& chunk) {
    return std::string(reinterpret_cast<const char*>(chunk.data), chunk.length);
}

}  // namespace

TEST(md5, reproduces_the_rfc_1321_test_suite) {
    struct {
        const char* input;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) EXPECT_EQ(md5_hex(c.input), c.digest) << '"' << c.input << '"';
}

TEST(md5, pads_correctly_around_block_boundaries) {
    // Lengths where the padding needs a second block (56..63) or none extra.
    struct {
        size_t length;
        const char* digest;
    } cases[] = {
        {55, "ef1772b6dff9a122358552954ad0df65"},
        {56, "3b0c8ac703f828b04c6c197006d17218"},
        {63, "b06521f39153d618550606be297466d5"},
        {64, "014842d480b571495a4a0363793f7367"},
        {1000, "cabe45dcc9ae5b66ba86600cca6b8ba8"},
    };
    for (const auto& c : cases) EXPECT_EQ(md5_hex(std::string(c.length, 'a')), c.digest) << c.length;
}

TEST(md5, treats_null_data_as_empty) {
    unsigned char digest[16];
    utility::md5_encrypt(nullptr, 5, digest);
    EXPECT_EQ(hex(digest, 16), "d41d8cd98f00b204e9800998ecf8427e");
    utility::md5_encrypt(reinterpret_cast<const unsigned char*>("a"), 1, nullptr);  // no crash
}

TEST(credential_encryption, round_trips_any_bytes_and_keeps_lengths) {
    std::string all_bytes;
    for (int i = 0; i < 256; ++i) all_bytes += static_cast<char>(i);
    for (const std::string& plain : {std::string(), std::string("store01"), std::string("\xbe\xc6\0pw", 5),
                                     all_bytes, std::string(5000, 'x')}) {
        mem_chunk<unsigned char> buffer = chunk_of(plain);
        ASSERT_TRUE(utility::encrypt(buffer));
        ASSERT_EQ(buffer.length, static_cast<int>(plain.size()));
        if (plain.size() > 4) {
            EXPECT_NE(bytes_of(buffer), plain);
        }
        ASSERT_TRUE(utility::decrypt(buffer));
        EXPECT_EQ(bytes_of(buffer), plain);
    }
}

TEST(credential_encryption, grows_capacity_to_twice_the_length_and_is_deterministic) {
    mem_chunk<unsigned char> first = chunk_of("0123456789");
    ASSERT_TRUE(utility::encrypt(first));
    EXPECT_EQ(first.length, 10);
    EXPECT_GE(first.capacity, 20);
    mem_chunk<unsigned char> second = chunk_of("0123456789");
    ASSERT_TRUE(utility::encrypt(second));
    EXPECT_EQ(bytes_of(first), bytes_of(second));
}

// The cipher text must equal an independent RC4 whose 128-bit key is the first
// 16 bytes of SHA-1("ZELBeacon"): tools/rc4_reference.py, run now on the Linux
// side, so a stored credential stays readable by any correct RC4.
TEST(credential_encryption, matches_the_independent_rc4_reference) {
    std::vector<std::string> plains = {"hello world", "store01", std::string(300, '\xea'), "a"};
    std::vector<std::string> args = {wine_host::source_file("tools/rc4_reference.py"), "--phrase", "ZELBeacon"};
    for (const std::string& plain : plains)
        args.push_back(hex(reinterpret_cast<const unsigned char*>(plain.data()), plain.size()));
    std::string output, error;
    ASSERT_TRUE(wine_host::run_python_tool(args, output, error)) << error;

    size_t at = 0;
    for (const std::string& plain : plains) {
        size_t end = output.find('\n', at);
        ASSERT_NE(end, std::string::npos) << output;
        std::string expected = output.substr(at, end - at);
        at = end + 1;
        mem_chunk<unsigned char> buffer = chunk_of(plain);
        ASSERT_TRUE(utility::encrypt(buffer));
        EXPECT_EQ(hex(buffer.data, buffer.length), expected) << plain.substr(0, 20);
    }
}

TEST(mem_chunk, grows_by_doubling_and_never_shrinks) {
    mem_chunk<unsigned char> chunk;
    EXPECT_EQ(chunk.data, nullptr);
    EXPECT_TRUE(chunk.resize(0));
    EXPECT_EQ(chunk.capacity, 0);
    EXPECT_TRUE(chunk.resize(1));
    EXPECT_EQ(chunk.capacity, 1);
    EXPECT_TRUE(chunk.resize(5));
    EXPECT_EQ(chunk.capacity, 8);
    EXPECT_TRUE(chunk.resize(2));
    EXPECT_EQ(chunk.capacity, 8);
    EXPECT_EQ(chunk.length, 2);
    EXPECT_TRUE(chunk.resize(-3));
    EXPECT_EQ(chunk.length, 0);
    EXPECT_TRUE(chunk.resize(4097));
    EXPECT_EQ(chunk.capacity, 8192);
}

TEST(mem_chunk, copies_deeply_and_refuses_bad_appends) {
    mem_chunk<unsigned char> a = chunk_of("abc");
    mem_chunk<unsigned char> b(a);
    b.data[0] = 'x';
    EXPECT_EQ(bytes_of(a), "abc");
    EXPECT_EQ(bytes_of(b), "xbc");
    b = a;
    EXPECT_EQ(bytes_of(b), "abc");
    EXPECT_FALSE(a.append(reinterpret_cast<const unsigned char*>("z"), -1));
    EXPECT_FALSE(a.append(nullptr, 2));
    EXPECT_EQ(bytes_of(a), "abc");
}
