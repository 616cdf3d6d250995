#include "CLDataBuffer.h"

#include <cstring>
#include <utility>

CLDataBuffer::~CLDataBuffer() {
    clear();
}

CLDataBuffer::CLDataBuffer(CLDataBuffer&& other) noexcept
    : fields(std::move(other.fields)), byteTotal(other.byteTotal) {
    other.fields.clear();
    other.byteTotal = 0;
}

CLDataBuffer& CLDataBuffer::operator=(CLDataBuffer&& other) noexcept {
    if (this != &other) {
        clear();
        fields = std::move(other.fields);
        byteTotal = other.byteTotal;
        other.fields.clear();
        other.byteTotal = 0;
    }
    return *this;
}

void CLDataBuffer::append(const DataField& f) {
    // Every message of the protocol has at most six fields: one allocation holds them, and a
    // buffer that is cleared and filled again allocates nothing.
    if (fields.capacity() == 0) {
        fields.reserve(8);
    }
    fields.push_back(f);
    byteTotal += f.size;
}

void CLDataBuffer::addInt(int32_t value) {
    DataField f{FIELD_INT, 4, {}};
    f.value.intValue = value;
    append(f);
}

void CLDataBuffer::addFloat(float value) {
    DataField f{FIELD_FLOAT, 4, {}};
    f.value.floatValue = value;
    append(f);
}

void CLDataBuffer::addOwned(int32_t type, const void* data, uint32_t size) {
    DataField f{type, size, {}};
    f.value.bytes = new uint8_t[size > 0 ? size : 1];
    if (size > 0) {
        std::memcpy(f.value.bytes, data, size);
    }
    append(f);
}

void CLDataBuffer::addString(const char* text) {
    if (text == nullptr) {
        text = "";
    }
    addOwned(FIELD_STRING, text, static_cast<uint32_t>(std::strlen(text) + 1));
}

void CLDataBuffer::addBytes(const void* data, uint32_t length) {
    addOwned(FIELD_BYTES, data, length);
}

void CLDataBuffer::clear() {
    for (DataField& f : fields) {
        if (f.type == FIELD_STRING || f.type == FIELD_BYTES) {
            delete[] f.value.bytes;
        }
    }
    fields.clear();
    byteTotal = 0;
}

const DataField* CLDataBuffer::field(size_t index) const {
    return index < fields.size() ? &fields[index] : nullptr;
}

std::optional<int32_t> CLDataBuffer::intAt(size_t index) const {
    const DataField* f = field(index);
    if (f == nullptr || f->type != FIELD_INT) {
        return std::nullopt;
    }
    return f->value.intValue;
}

std::optional<float> CLDataBuffer::floatAt(size_t index) const {
    const DataField* f = field(index);
    if (f == nullptr || f->type != FIELD_FLOAT) {
        return std::nullopt;
    }
    return f->value.floatValue;
}

std::optional<std::string> CLDataBuffer::stringAt(size_t index) const {
    const DataField* f = field(index);
    if (f == nullptr || f->type != FIELD_STRING) {
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(f->value.bytes), f->size - 1);
}

std::optional<std::vector<uint8_t>> CLDataBuffer::bytesAt(size_t index) const {
    const DataField* f = field(index);
    if (f == nullptr || f->type != FIELD_BYTES) {
        return std::nullopt;
    }
    return std::vector<uint8_t>(f->value.bytes, f->value.bytes + f->size);
}
