#include "cp1252.h"

#include <array>
#include <cstdint>

namespace kolvaro {

namespace {

// The characters of the bytes 0x80 to 0x9F. The five bytes that Windows-1252
// leaves undefined stand for the control characters of the same number, so
// that every byte survives a round trip through UTF-8.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::optional<unsigned char> ByteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<unsigned char>(c);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

// The next character of UTF-8 text; nothing for a malformed sequence
// (overlong forms, surrogates and values past U+10FFFF included).
std::optional<char32_t> NextCharacter(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) {
        return lead;
    }
    int extra;
    char32_t c;
    char32_t minimum;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    for (int i = 0; i < extra; ++i) {
        if (pos >= text.size()) {
            return std::nullopt;
        }
        const auto next = static_cast<unsigned char>(text[pos++]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return std::nullopt;
    }
    return c;
}

}  // namespace

void AppendCp1252AsUtf8(std::string& out, std::string_view bytes) {
    // Text of ASCII alone, most of it, is appended as it is. Other text is
    // written through a pointer into room for the longest result (each byte
    // beyond ASCII takes at most three), then cut to what was written: no
    // check of the capacity for every character.
    std::size_t high = 0;
    for (const char byte : bytes) {
        high += static_cast<unsigned char>(byte) >> 7;
    }
    if (high == 0) {
        out += bytes;
        return;
    }
    const std::size_t before = out.size();
    out.resize(before + bytes.size() + 2 * high);
    char* to = out.data() + before;
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if (b < 0x80) {
            *to++ = byte;
            continue;
        }
        const char32_t c = b < 0xA0 ? kHighControls[b - 0x80] : char32_t{b};
        if (c < 0x800) {
            *to++ = static_cast<char>(0xC0 | (c >> 6));
            *to++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *to++ = static_cast<char>(0xE0 | (c >> 12));
            *to++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *to++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    AppendCp1252AsUtf8(out, bytes);
    return out;
}

std::optional<std::string> Utf8ToCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            out += text[pos++];
            continue;
        }
        const auto c = NextCharacter(text, pos);
        if (!c) {
            return std::nullopt;
        }
        const auto byte = ByteOf(*c);
        if (!byte) {
            return std::nullopt;
        }
        out += static_cast<char>(*byte);
    }
    return out;
}

}  // namespace kolvaro
