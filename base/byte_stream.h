// Little-endian reading and writing of the chunk's fields. The reader never reads past its end:
// a field that does not fit sets the failure flag, yields 0 and every later read fails too.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace quorvix {

// Fields are copied as they lie in memory.
static_assert(std::endian::native == std::endian::little);

class CByteWriter {
public:
    void u8(uint8_t v) { m_bytes.push_back(v); }
    void u16(uint16_t v) { raw(&v, sizeof v); }
    void u32(uint32_t v) { raw(&v, sizeof v); }
    void i32(int32_t v) { raw(&v, sizeof v); }
    void f32(float v) { raw(&v, sizeof v); }
    void f64(double v) { raw(&v, sizeof v); }
    // Two bytes: 0 or 1, then 0.
    void boolean(bool v)
    {
        u8(v ? 1 : 0);
        u8(0);
    }
    void tag(const char* four) { raw(four, 4); }
    // The characters and a terminator.
    void text(const std::string& s)
    {
        raw(s.data(), s.size());
        u8(0);
    }
    // An int32 length and the bytes.
    void block(const std::vector<uint8_t>& bytes)
    {
        i32(static_cast<int32_t>(bytes.size()));
        raw(bytes.data(), bytes.size());
    }
    void raw(const void* data, size_t size)
    {
        const auto* p = static_cast<const uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), p, p + size);
    }

    const std::vector<uint8_t>& bytes() const { return m_bytes; }
    std::vector<uint8_t>& bytes() { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

class CByteReader {
public:
    CByteReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    explicit CByteReader(const std::vector<uint8_t>& bytes) : CByteReader(bytes.data(), bytes.size()) {}
    // The reader keeps no copy: the bytes must outlive it.
    explicit CByteReader(std::vector<uint8_t>&&) = delete;

    uint8_t u8() { return value<uint8_t>(); }
    uint16_t u16() { return value<uint16_t>(); }
    uint32_t u32() { return value<uint32_t>(); }
    int32_t i32() { return value<int32_t>(); }
    float f32() { return value<float>(); }
    double f64() { return value<double>(); }
    // True when either byte is non-zero.
    bool boolean()
    {
        const uint8_t a = u8();
        const uint8_t b = u8();
        return a != 0 || b != 0;
    }
    // Reads four bytes and compares them with the tag.
    bool tag(const char* four)
    {
        const uint8_t* p = take(4);
        return p && std::memcmp(p, four, 4) == 0;
    }
    // Characters up to the terminator (not kept), at most limit bytes with the terminator.
    std::string text(size_t limit)
    {
        std::string s;
        for (size_t i = 0; i < limit && !m_failed; ++i) {
            const char c = static_cast<char>(u8());
            if (c == '\0')
                return s;
            s.push_back(c);
        }
        m_failed = true;
        return {};
    }
    // An int32 length and that many bytes; a length of 0 or less gives no bytes and returns false.
    bool block(std::vector<uint8_t>& bytes)
    {
        const int32_t length = i32();
        if (m_failed || length <= 0)
            return false;
        const uint8_t* p = take(static_cast<size_t>(length));
        if (!p)
            return false;
        bytes.assign(p, p + length);
        return true;
    }
    // size bytes in place, or nullptr (and failure) when fewer are left.
    const uint8_t* take(size_t size)
    {
        if (m_failed || size > m_size - m_position) {
            m_failed = true;
            return nullptr;
        }
        const uint8_t* p = m_data + m_position;
        m_position += size;
        return p;
    }

    bool failed() const { return m_failed; }
    size_t position() const { return m_position; }
    size_t remaining() const { return m_size - m_position; }

private:
    template <typename T>
    T value()
    {
        T v {};
        if (const uint8_t* p = take(sizeof v))
            std::memcpy(&v, p, sizeof v);
        return v;
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
    bool m_failed = false;
};

} // namespace quorvix
