// Tiny ZIP and LZH archives built byte by byte from the header layouts
// (stored members only: ZIP method 0, lh0), for the archive tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rix::test {

inline void put16(std::string* s, std::uint32_t v) {
    s->push_back(static_cast<char>(v & 0xFF));
    s->push_back(static_cast<char>(v >> 8 & 0xFF));
}
inline void put32(std::string* s, std::uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

inline std::uint32_t crc32_of(std::string_view data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char ch : data) {
        crc ^= static_cast<std::uint8_t>(ch);
        for (int k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

inline std::uint16_t crc16_of(std::string_view data) {
    std::uint16_t crc = 0;
    for (char ch : data) {
        crc ^= static_cast<std::uint8_t>(ch);
        for (int k = 0; k < 8; ++k) crc = crc & 1 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

struct ZipEntry {
    std::string name;
    std::string data;               // stored as it is
    std::uint16_t flags = 0;        // 0x0800: UTF-8 name
    bool bad_crc = false;
};

// A ZIP of stored members: local headers with their data, the central
// directory, the end record. `central_order`, when given, lists the entries'
// indexes in the order the central directory names them (the local headers
// stay in the order of `entries`).
inline std::string make_zip(const std::vector<ZipEntry>& entries, const std::vector<std::size_t>& central_order = {}) {
    std::string out;
    std::vector<std::string> centrals;
    for (const ZipEntry& e : entries) {
        std::string central;
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t crc = crc32_of(e.data) ^ (e.bad_crc ? 1u : 0u);
        std::string fixed;
        put16(&fixed, 20);          // version needed
        put16(&fixed, e.flags);
        put16(&fixed, 0);           // stored
        put16(&fixed, 0);           // time
        put16(&fixed, 0x21);        // date 1980-01-01
        put32(&fixed, crc);
        put32(&fixed, static_cast<std::uint32_t>(e.data.size()));
        put32(&fixed, static_cast<std::uint32_t>(e.data.size()));
        put16(&fixed, static_cast<std::uint32_t>(e.name.size()));
        put16(&fixed, 0);           // extra
        out += std::string("PK\x03\x04", 4) + fixed + e.name + e.data;
        central += std::string("PK\x01\x02", 4);
        put16(&central, 20);        // made by
        central += fixed;
        put16(&central, 0);         // comment
        put16(&central, 0);         // disk
        put16(&central, 0);         // internal attributes
        put32(&central, e.name.back() == '/' ? 0x10 : 0);
        put32(&central, offset);
        central += e.name;
        centrals.push_back(std::move(central));
    }
    std::string central;
    for (std::size_t i = 0; i < entries.size(); ++i) central += centrals[central_order.empty() ? i : central_order[i]];
    const std::uint32_t at = static_cast<std::uint32_t>(out.size());
    out += central;
    out += std::string("PK\x05\x06", 4);
    put16(&out, 0);
    put16(&out, 0);
    put16(&out, static_cast<std::uint32_t>(entries.size()));
    put16(&out, static_cast<std::uint32_t>(entries.size()));
    put32(&out, static_cast<std::uint32_t>(central.size()));
    put32(&out, at);
    put16(&out, 0);
    return out;
}

// An lh0 member with a level 0 header.
inline std::string lzh_level0(const std::string& name, const std::string& data, const char* method = "-lh0-") {
    std::string h = method;
    put32(&h, static_cast<std::uint32_t>(data.size()));
    put32(&h, static_cast<std::uint32_t>(data.size()));
    put32(&h, 0x00210000);          // time
    h += '\x20';                    // attribute
    h += '\x00';                    // level
    h += static_cast<char>(name.size());
    h += name;
    put16(&h, crc16_of(data));
    unsigned sum = 0;
    for (char c : h) sum += static_cast<std::uint8_t>(c);
    return std::string(1, static_cast<char>(h.size())) + static_cast<char>(sum & 0xFF) + h + data;
}

// An lh0 member with a level 1 header and one extended header (a folder).
inline std::string lzh_level1(const std::string& name, const std::string& folder, const std::string& data) {
    std::string ext;                // type, data, size of the next (none)
    ext += '\x02';
    ext += folder;
    put16(&ext, 0);
    std::string h = "-lh0-";
    put32(&h, static_cast<std::uint32_t>(data.size() + ext.size()));
    put32(&h, static_cast<std::uint32_t>(data.size()));
    put32(&h, 0x00210000);
    h += '\x20';
    h += '\x01';
    h += static_cast<char>(name.size());
    h += name;
    put16(&h, crc16_of(data));
    h += 'M';                       // OS id
    put16(&h, static_cast<std::uint32_t>(ext.size()));
    unsigned sum = 0;
    for (char c : h) sum += static_cast<std::uint8_t>(c);
    return std::string(1, static_cast<char>(h.size())) + static_cast<char>(sum & 0xFF) + h + ext + data;
}

// A member with a level 2 header: the header's CRC, the name (and a folder) in
// extended headers.
inline std::string lzh_level2(const std::string& name, const std::string& folder, const std::string& data,
                       const char* method = "-lh0-") {
    std::vector<std::string> exts;
    exts.push_back(std::string("\x00\x00\x00", 3));   // the header's CRC-16, filled in below
    exts.push_back('\x01' + name);
    if (!folder.empty()) exts.push_back('\x02' + folder);
    std::string tail;               // the extended headers, each with the next one's size
    for (std::size_t i = 0; i < exts.size(); ++i) {
        tail += exts[i];
        put16(&tail, i + 1 < exts.size() ? static_cast<std::uint32_t>(exts[i + 1].size() + 2) : 0);
    }
    std::string h;
    const std::uint32_t total = static_cast<std::uint32_t>(26 + tail.size());
    put16(&h, total);
    h += method;
    put32(&h, static_cast<std::uint32_t>(data.size()));
    put32(&h, static_cast<std::uint32_t>(data.size()));
    put32(&h, 0x5F000000);          // Unix time
    h += '\x20';
    h += '\x02';
    put16(&h, crc16_of(data));
    h += 'U';
    put16(&h, static_cast<std::uint32_t>(exts[0].size() + 2));
    h += tail;
    const std::uint16_t crc = crc16_of(h);   // over the whole header with its own field zero
    h[27] = static_cast<char>(crc & 0xFF);
    h[28] = static_cast<char>(crc >> 8);
    return h + data;
}

}  // namespace rix::test
