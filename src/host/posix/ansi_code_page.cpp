#include "host/posix/ansi_code_page.h"

namespace tavrel::posix {

namespace {

constexpr char32_t kEscapeBase = 0xDC00;

bool IsContinuation(std::uint8_t byte) noexcept { return (byte & 0xC0U) == 0x80U; }

// Decodes one well-formed UTF-8 sequence at bytes[i]; returns its length,
// or 0 when the bytes there are not one (overlong forms, surrogates and
// values above U+10FFFF included).
std::uint32_t DecodeSequence(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t i,
                             char32_t& code_point) noexcept {
  const std::uint8_t lead = bytes[i];
  if (lead < 0x80U) {
    code_point = lead;
    return 1;
  }
  std::uint32_t length = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2U && lead <= 0xDFU) {
    length = 2;
    minimum = 0x80;
    code_point = lead & 0x1FU;
  } else if (lead >= 0xE0U && lead <= 0xEFU) {
    length = 3;
    minimum = 0x800;
    code_point = lead & 0x0FU;
  } else if (lead >= 0xF0U && lead <= 0xF4U) {
    length = 4;
    minimum = 0x10000;
    code_point = lead & 0x07U;
  } else {
    return 0;
  }
  if (count - i < length) {
    return 0;
  }
  for (std::uint32_t k = 1; k < length; ++k) {
    if (!IsContinuation(bytes[i + k])) {
      return 0;
    }
    code_point = (code_point << 6U) | (bytes[i + k] & 0x3FU);
  }
  const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
  if (code_point < minimum || code_point > 0x10FFFF || surrogate) {
    return 0;
  }
  return length;
}

// Counts units and writes them while they fit; a result of 0 tells that
// the output given was too small.
template <typename Unit>
class Sink {
public:
  Sink(Unit* out, std::uint32_t capacity) noexcept : out_(out), capacity_(capacity) {}
  void Put(std::uint32_t unit) noexcept {
    if (out_ != nullptr && count_ < capacity_) {
      out_[count_] = static_cast<Unit>(unit);
    }
    ++count_;
  }
  [[nodiscard]] std::uint32_t Result() const noexcept {
    return out_ != nullptr && count_ > capacity_ ? 0 : count_;
  }

private:
  Unit* out_;
  std::uint32_t capacity_;
  std::uint32_t count_ = 0;
};

using UnitSink = Sink<char16_t>;
using ByteSink = Sink<std::uint8_t>;

void PutUtf8(ByteSink& sink, char32_t code_point) noexcept {
  if (code_point < 0x80) {
    sink.Put(code_point);
  } else if (code_point < 0x800) {
    sink.Put(0xC0U | (code_point >> 6U));
    sink.Put(0x80U | (code_point & 0x3FU));
  } else if (code_point < 0x10000) {
    sink.Put(0xE0U | (code_point >> 12U));
    sink.Put(0x80U | ((code_point >> 6U) & 0x3FU));
    sink.Put(0x80U | (code_point & 0x3FU));
  } else {
    sink.Put(0xF0U | (code_point >> 18U));
    sink.Put(0x80U | ((code_point >> 12U) & 0x3FU));
    sink.Put(0x80U | ((code_point >> 6U) & 0x3FU));
    sink.Put(0x80U | (code_point & 0x3FU));
  }
}

// Text that is ASCII throughout, the common case, is copied unit for unit
// with the results of the general path: the count, or 0 when out is too
// small after as much as fits was written.
template <typename From, typename To>
std::uint32_t CopyAscii(const From* in, std::uint32_t count, To* out,
                        std::uint32_t capacity) noexcept {
  if (out == nullptr) {
    return count;
  }
  const std::uint32_t fits = count < capacity ? count : capacity;
  for (std::uint32_t i = 0; i < fits; ++i) {
    out[i] = static_cast<To>(in[i]);
  }
  return count <= capacity ? count : 0;
}

template <typename Unit>
bool IsAscii(const Unit* in, std::uint32_t count) noexcept {
  for (std::uint32_t i = 0; i < count; ++i) {
    if (in[i] >= 0x80U) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::uint32_t BytesToUtf16(const std::uint8_t* bytes, std::uint32_t count, char16_t* out,
                           std::uint32_t capacity) noexcept {
  if (IsAscii(bytes, count)) {
    return CopyAscii(bytes, count, out, capacity);
  }
  UnitSink sink(out, capacity);
  std::uint32_t i = 0;
  while (i < count) {
    char32_t code_point = 0;
    const std::uint32_t length = DecodeSequence(bytes, count, i, code_point);
    if (length == 0) {
      sink.Put(kEscapeBase + bytes[i]);
      ++i;
      continue;
    }
    if (code_point >= 0x10000) {
      const char32_t offset = code_point - 0x10000;
      sink.Put(0xD800 + (offset >> 10U));
      sink.Put(0xDC00 + (offset & 0x3FFU));
    } else {
      sink.Put(code_point);
    }
    i += length;
  }
  return sink.Result();
}

std::uint32_t Utf16ToBytes(const char16_t* units, std::uint32_t count, std::uint8_t* out,
                           std::uint32_t capacity) noexcept {
  if (IsAscii(units, count)) {
    return CopyAscii(units, count, out, capacity);
  }
  ByteSink sink(out, capacity);
  for (std::uint32_t i = 0; i < count; ++i) {
    const char16_t unit = units[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (high && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      const char32_t code_point =
          0x10000 + ((char32_t{unit} - 0xD800) << 10U) + (char32_t{units[i + 1]} - 0xDC00);
      PutUtf8(sink, code_point);
      ++i;
    } else if (low && unit >= 0xDC80 && unit <= 0xDCFF) {
      sink.Put(unit - kEscapeBase);
    } else if (high || low) {
      sink.Put('?');
    } else {
      PutUtf8(sink, unit);
    }
  }
  return sink.Result();
}

}  // namespace tavrel::posix
