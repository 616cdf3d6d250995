#pragma once
// The message format shared by the client and the game server: typed fields, the event codes
// and the packets that carry them. No engine, no sockets, no threads: a buffer belongs to whoever
// holds it, and the functions here only read their arguments.
//
// CLDataBuffer is the ordered list of typed fields that a request body is built from and that a
// response is parsed into. It owns the bytes of its string and byte-block fields.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum FieldType : int32_t {
    FIELD_INT = 0,
    FIELD_FLOAT = 1,
    FIELD_EMPTY = 2,
    FIELD_STRING = 3,
    FIELD_BYTES = 4,
};

struct DataField {
    int32_t type;  // a FieldType; only the low byte goes on the wire
    uint32_t size; // bytes of the value: 4, or the string's length + 1, or N
    union {
        int32_t intValue;
        float floatValue;
        uint8_t* bytes; // owned by the buffer; a string's bytes end in its NUL
    } value;
};

class CLDataBuffer {
public:
    CLDataBuffer() = default;
    ~CLDataBuffer();
    CLDataBuffer(CLDataBuffer&& other) noexcept;
    CLDataBuffer& operator=(CLDataBuffer&& other) noexcept;
    CLDataBuffer(const CLDataBuffer&) = delete;
    CLDataBuffer& operator=(const CLDataBuffer&) = delete;

    void addInt(int32_t value);
    void addFloat(float value);
    // Copies the text with its NUL.
    void addString(const char* text);
    void addBytes(const void* data, uint32_t length);
    // Keeps the storage of the field list, so that a buffer filled again allocates nothing.
    void clear();

    size_t fieldCount() const { return fields.size(); }
    // Null past the last field.
    const DataField* field(size_t index) const;
    // The value of field `index` when it exists and has that type.
    std::optional<int32_t> intAt(size_t index) const;
    std::optional<float> floatAt(size_t index) const;
    std::optional<std::string> stringAt(size_t index) const; // without the NUL
    std::optional<std::vector<uint8_t>> bytesAt(size_t index) const;

    // Sum of the sizes of all fields.
    uint32_t totalBytes() const { return byteTotal; }

private:
    void append(const DataField& f);
    void addOwned(int32_t type, const void* data, uint32_t size);

    std::vector<DataField> fields;
    uint32_t byteTotal = 0;
};
