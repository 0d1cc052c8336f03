// utility: MD5 digest (our own routine, RFC 1321) and the credential
// encryption with the fixed RC4 key that CryptoAPI derives from the pass
// phrase. The cipher is obfuscation for values kept in the registry, not
// protection: one key, no initialisation vector.
#include <windows.h>
#include <wincrypt.h>
#include <cstring>
#include "utility.h"

namespace {

// --- MD5 ---

struct md5_state {
    UINT32 a, b, c, d;
};

inline UINT32 rotl(UINT32 x, int n) { return (x << n) | (x >> (32 - n)); }

const UINT32 md5_sine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

const int md5_shift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

// One step of a round: a = b + ((a + f + sine + x) <<< shift).
inline UINT32 md5_step(UINT32 a, UINT32 b, UINT32 f, UINT32 sine_and_word, int shift) {
    return b + rotl(a + f + sine_and_word, shift);
}

// One 64-byte block. The four rounds run as four loops of their own, so that
// each loop has a fixed mixing function and word order; they are unrolled,
// which turns the shifts and word indices into constants (every playlist
// entry gets an id made with this).
void md5_block(md5_state& s, const unsigned char* block) {
    UINT32 x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = block[i * 4] | (block[i * 4 + 1] << 8) | (block[i * 4 + 2] << 16) |
               (static_cast<UINT32>(block[i * 4 + 3]) << 24);
    UINT32 a = s.a, b = s.b, c = s.c, d = s.d;
#pragma GCC unroll 16
    for (int i = 0; i < 16; ++i) {
        UINT32 t = md5_step(a, b, (b & c) | (~b & d), md5_sine[i] + x[i], md5_shift[0][i & 3]);
        a = d;
        d = c;
        c = b;
        b = t;
    }
#pragma GCC unroll 16
    for (int i = 16; i < 32; ++i) {
        UINT32 t = md5_step(a, b, (b & d) | (c & ~d), md5_sine[i] + x[(5 * i + 1) & 15], md5_shift[1][i & 3]);
        a = d;
        d = c;
        c = b;
        b = t;
    }
#pragma GCC unroll 16
    for (int i = 32; i < 48; ++i) {
        UINT32 t = md5_step(a, b, b ^ c ^ d, md5_sine[i] + x[(3 * i + 5) & 15], md5_shift[2][i & 3]);
        a = d;
        d = c;
        c = b;
        b = t;
    }
#pragma GCC unroll 16
    for (int i = 48; i < 64; ++i) {
        UINT32 t = md5_step(a, b, c ^ (b | ~d), md5_sine[i] + x[(7 * i) & 15], md5_shift[3][i & 3]);
        a = d;
        d = c;
        c = b;
        b = t;
    }
    s.a += a;
    s.b += b;
    s.c += c;
    s.d += d;
}

void put_le32(unsigned char* out, UINT32 v) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(v >> (8 * i));
}

// --- CryptoAPI key of the credentials ---

const char pass_phrase[] = "ZELBeacon";  // hashed without its terminator

// The provider context, hash and RC4 key of one call; released on scope exit.
class credential_key {
public:
    credential_key() { ok_ = acquire() && derive(); }
    ~credential_key() {
        if (key_) CryptDestroyKey(key_);
        if (hash_) CryptDestroyHash(hash_);
        if (provider_) CryptReleaseContext(provider_, 0);
    }
    credential_key(const credential_key&) = delete;
    credential_key& operator=(const credential_key&) = delete;

    bool ok() const { return ok_; }
    HCRYPTKEY key() const { return key_; }

private:
    bool acquire() {
        if (open_context(0)) return true;
        // A fresh profile has no key container yet.
        if (open_context(CRYPT_NEWKEYSET)) return true;
        // Another thread may have created it between the two calls.
        return GetLastError() == static_cast<DWORD>(NTE_EXISTS) && open_context(0);
    }

    bool open_context(DWORD flags) {
        return CryptAcquireContextW(&provider_, nullptr, MS_ENHANCED_PROV_W, PROV_RSA_FULL, flags) != FALSE;
    }

    bool derive() {
        if (!CryptCreateHash(provider_, CALG_SHA1, 0, 0, &hash_)) return false;
        if (!CryptHashData(hash_, reinterpret_cast<const BYTE*>(pass_phrase), sizeof(pass_phrase) - 1, 0))
            return false;
        // 128-bit key: the key length goes into the upper 16 bits of the flags.
        return CryptDeriveKey(provider_, CALG_RC4, hash_, 128u << 16, &key_) != FALSE;
    }

    HCRYPTPROV provider_ = 0;
    HCRYPTHASH hash_ = 0;
    HCRYPTKEY key_ = 0;
    bool ok_ = false;
};

}  // namespace

void utility::md5_encrypt(const unsigned char* data, unsigned length, unsigned char* digest) {
    if (!digest) return;
    if (!data) length = 0;
    md5_state s = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    unsigned done = 0;
    for (; length - done >= 64; done += 64) md5_block(s, data + done);

    // Padding: 0x80, zeros up to 56 mod 64, then the bit count (64-bit LE).
    unsigned char tail[128] = {0};
    unsigned rest = length - done;
    if (rest) memcpy(tail, data + done, rest);
    tail[rest] = 0x80;
    unsigned tail_length = rest < 56 ? 64 : 128;
    unsigned long long bits = static_cast<unsigned long long>(length) * 8;
    put_le32(tail + tail_length - 8, static_cast<UINT32>(bits));
    put_le32(tail + tail_length - 4, static_cast<UINT32>(bits >> 32));
    md5_block(s, tail);
    if (tail_length == 128) md5_block(s, tail + 64);

    put_le32(digest, s.a);
    put_le32(digest + 4, s.b);
    put_le32(digest + 8, s.c);
    put_le32(digest + 12, s.d);
}

bool utility::encrypt(mem_chunk<unsigned char>& buffer) {
    credential_key key;
    if (!key.ok()) return false;
    int n = buffer.length;
    if (n < 0 || n > INT_MAX / 2) return false;
    // Room for a cipher longer than the plain text, as CryptEncrypt's contract
    // allows; RC4 gives the same length.
    if (!buffer.resize(2 * n)) return false;
    DWORD cipher_length = static_cast<DWORD>(n);
    unsigned char none = 0;  // see decrypt: no null pointer for zero bytes
    if (!CryptEncrypt(key.key(), 0, TRUE, 0, buffer.data ? buffer.data : &none, &cipher_length,
                      static_cast<DWORD>(2 * n)) ||
        cipher_length > static_cast<DWORD>(2 * n)) {
        // The caller's length, not the scratch room, stays in the buffer.
        buffer.length = n;
        return false;
    }
    buffer.length = static_cast<int>(cipher_length);
    return true;
}

bool utility::decrypt(mem_chunk<unsigned char>& buffer) {
    credential_key key;
    if (!key.ok()) return false;
    if (buffer.length < 0) return false;
    DWORD plain_length = static_cast<DWORD>(buffer.length);
    // An empty buffer may have no memory yet; CryptDecrypt refuses a null
    // pointer even for zero bytes, so lend it a byte.
    unsigned char none = 0;
    if (!CryptDecrypt(key.key(), 0, TRUE, 0, buffer.data ? buffer.data : &none, &plain_length)) return false;
    if (plain_length > static_cast<DWORD>(buffer.length)) return false;
    buffer.length = static_cast<int>(plain_length);
    return true;
}
