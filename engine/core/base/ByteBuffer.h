#pragma once
#include <cstdint>

// The growth rule shared by the engine's growable arrays: a shrink keeps the
// storage; growing past the capacity adds size/8 elements (4..65536) or jumps
// straight to the requested size when that is more.
template <typename T>
class GrowableArray {
public:
    int32_t size = 0;
    int32_t capacity = 0;
    T* data = nullptr;

    GrowableArray() = default;
    GrowableArray(const GrowableArray& o) { copyFrom(o); }
    GrowableArray(GrowableArray&& o) noexcept : size(o.size), capacity(o.capacity), data(o.data)
    {
        o.size = o.capacity = 0;
        o.data = nullptr;
    }
    GrowableArray& operator=(const GrowableArray& o)
    {
        if (this != &o)
            copyFrom(o);
        return *this;
    }
    GrowableArray& operator=(GrowableArray&& o) noexcept
    {
        if (this != &o) {
            delete[] data;
            size = o.size;
            capacity = o.capacity;
            data = o.data;
            o.size = o.capacity = 0;
            o.data = nullptr;
        }
        return *this;
    }
    ~GrowableArray() { delete[] data; }

    // A negative size is treated as 0: it can only come from a bad count.
    void resize(int32_t n)
    {
        if (n <= 0) {
            delete[] data;
            data = nullptr;
            capacity = size = 0;
            return;
        }
        if (!data) {
            data = new T[n];
            capacity = size = n;
            return;
        }
        if (n > capacity) {
            int32_t grow = size / 8;
            grow = grow < 4 ? 4 : (grow > 65536 ? 65536 : grow);
            const int64_t stepped = int64_t(capacity) + grow;
            const int32_t newCapacity = n >= stepped ? n : int32_t(stepped);
            T* block = new T[newCapacity];
            for (int32_t i = 0; i < size; ++i)
                block[i] = data[i];
            delete[] data;
            data = block;
            capacity = newCapacity;
        }
        size = n;
    }

private:
    void copyFrom(const GrowableArray& o)
    {
        resize(o.size);
        for (int32_t i = 0; i < o.size; ++i)
            data[i] = o.data[i];
    }
};

// The engine's byte array and text type. As text, `size` counts the
// terminating NUL: the empty text has size 1.
class ByteBuffer : public GrowableArray<char> {
public:
    ByteBuffer();
    ByteBuffer(const char* text);
    ByteBuffer(const ByteBuffer&) = default;
    ByteBuffer(ByteBuffer&&) noexcept = default;
    ByteBuffer& operator=(const ByteBuffer&) = default;
    ByteBuffer& operator=(ByteBuffer&&) noexcept = default;

    ByteBuffer& assign(const ByteBuffer& other);
    ByteBuffer& assignCString(const char* text);
    ByteBuffer& appendCString(const char* text);
    ByteBuffer& appendInt(int value);

    const char* c_str() const { return data ? data : ""; }
};

// The archive reader's byte array with a read/write position.
class DataBuffer : public GrowableArray<uint8_t> {
public:
    int32_t position = 0;
};

// A growable array of 32-bit integers (counts in elements).
class IntBuffer : public GrowableArray<int32_t> {};
