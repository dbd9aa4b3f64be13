#include "protocol/Asn1Ber.h"

#include <cerrno>

namespace Asn1 {

namespace {

constexpr std::size_t kMaxLength = 0xFFFFFF;

}  // namespace

std::ptrdiff_t BerFetchTag(const std::uint8_t* data, std::size_t size, Asn1Tag* tag) {
    if (size == 0) return 0;
    const unsigned tagClass = data[0] >> 6;
    unsigned number = data[0] & 0x1Fu;
    if (number != 0x1F) {
        *tag = static_cast<Asn1Tag>(number << 2 | tagClass);
        return 1;
    }
    // High-tag-number form: one subsequent octet carrying a number up to 127.
    if (size < 2 || (data[1] & 0x80u) != 0) return -1;
    number = data[1];
    *tag = static_cast<Asn1Tag>(number << 2 | tagClass);
    return 2;
}

std::ptrdiff_t BerFetchLength(int /*constructed*/, const std::uint8_t* data, std::size_t size, std::size_t* length) {
    if (size == 0) return 0;
    const unsigned first = data[0];
    if (first < 0x80) {
        *length = first;
        return 1;
    }
    const std::size_t count = first & 0x7Fu;
    if (count == 0) {  // indefinite form
        *length = 0;
        return 1;
    }
    if (count + 1 > size) return 0;
    std::size_t value = 0;
    for (std::size_t i = 1; i <= count; ++i) {
        value = value << 8 | data[i];
        if (value > kMaxLength) return -1;
    }
    *length = value;
    return static_cast<std::ptrdiff_t>(count + 1);
}

std::ptrdiff_t BerWriteLength(std::size_t length, Asn1OutputBuffer* buffer) {
    std::uint8_t octets[sizeof(std::size_t) + 1];
    std::size_t count = 0;
    if (length < 0x80) {
        octets[count++] = static_cast<std::uint8_t>(length);
    } else {
        std::size_t rest = length;
        while (rest != 0) {
            octets[count++] = static_cast<std::uint8_t>(rest & 0xFF);
            rest >>= 8;
        }
        const std::size_t lengthOctets = count;
        octets[count++] = static_cast<std::uint8_t>(0x80 | lengthOctets);
    }
    if (buffer->position < count) {
        errno = ENOMEM;
        return -1;
    }
    // octets holds the length reversed, which is the order of writing backwards.
    for (std::size_t i = 0; i < count; ++i) buffer->data[--buffer->position] = octets[i];
    return static_cast<std::ptrdiff_t>(count);
}

std::ptrdiff_t BerWriteTag(Asn1Tag tag, Asn1OutputBuffer* buffer, int constructed) {
    const unsigned number = Asn1TagNumber(tag);
    const std::uint8_t lead = static_cast<std::uint8_t>(Asn1TagClassOf(tag) << 6 | (constructed ? 0x20 : 0));
    std::uint8_t octets[3];
    std::size_t count = 0;
    if (number < 31) {
        octets[count++] = static_cast<std::uint8_t>(lead | number);
    } else if (number < 128) {
        octets[count++] = static_cast<std::uint8_t>(number);
        octets[count++] = static_cast<std::uint8_t>(lead | 0x1F);
    } else {
        octets[count++] = static_cast<std::uint8_t>(number & 0x7F);
        octets[count++] = static_cast<std::uint8_t>(0x80 | (number >> 7));
        octets[count++] = static_cast<std::uint8_t>(lead | 0x1F);
    }
    if (buffer->position < count) {
        errno = ENOMEM;
        return -1;
    }
    for (std::size_t i = 0; i < count; ++i) buffer->data[--buffer->position] = octets[i];
    return static_cast<std::ptrdiff_t>(count);
}

std::ptrdiff_t Asn1WriteTagLength(std::size_t contentLength, Asn1Tag tag, Asn1OutputBuffer* buffer, int constructed) {
    const std::size_t before = buffer->position;
    if (BerWriteLength(contentLength, buffer) < 0) return -1;
    if (BerWriteTag(tag, buffer, constructed) < 0) {
        buffer->position = before;
        return -1;
    }
    return static_cast<std::ptrdiff_t>(before - buffer->position);
}

std::ptrdiff_t BerSkipLength(Asn1DecodeContext* /*context*/, int constructed, const std::uint8_t* data,
                             std::size_t size) {
    std::size_t length = 0;
    const std::ptrdiff_t octets = BerFetchLength(constructed, data, size, &length);
    if (octets <= 0) return octets;
    if (octets == 1 && data[0] == 0x80) return -1;  // indefinite lengths are not taken
    if (length > size - static_cast<std::size_t>(octets)) return 0;
    return octets + static_cast<std::ptrdiff_t>(length);
}

}  // namespace Asn1
