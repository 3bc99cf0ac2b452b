// Counted text values: ByteString (bytes of the ANSI code page) and
// WideString (UTF-16 code units).
//
// A value either owns one block of exactly its length, or borrows units it
// does not own: a literal, or a lent variable. The empty value owns
// nothing. Operations take their operands by value, so a caller passes a
// variable with Lend() and a temporary as it is; a temporary is consumed
// by the operation that receives it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

namespace tavrel {

template <typename Unit>
class CountedText {
public:
  constexpr CountedText() noexcept = default;

  CountedText(const CountedText&) = delete;
  CountedText& operator=(const CountedText&) = delete;

  CountedText(CountedText&& other) noexcept
      : units_(other.units_), length_(other.length_), owned_(other.owned_) {
    other.Forget();
  }

  CountedText& operator=(CountedText&& other) noexcept {
    if (this != &other) {
      Release();
      units_ = other.units_;
      length_ = other.length_;
      owned_ = other.owned_;
      other.Forget();
    }
    return *this;
  }

  ~CountedText() { Release(); }

  // Exchanges what two values hold; no storage changes hands.
  friend void swap(CountedText& a, CountedText& b) noexcept {
    std::swap(a.units_, b.units_);
    std::swap(a.length_, b.length_);
    std::swap(a.owned_, b.owned_);
  }

  // Takes over a block from ObtainStorage holding length units.
  static CountedText Adopt(Unit* block, std::uint32_t length) noexcept {
    return CountedText(block, length, true);
  }

  // A value that borrows units which outlive it (literals, lent values).
  static constexpr CountedText Borrow(const Unit* units, std::uint32_t length) noexcept {
    return CountedText(const_cast<Unit*>(units), length, false);  // never written: not owned
  }

  [[nodiscard]] std::uint32_t size() const noexcept { return length_; }
  [[nodiscard]] bool empty() const noexcept { return length_ == 0; }
  [[nodiscard]] bool Owns() const noexcept { return owned_; }
  [[nodiscard]] const Unit* data() const noexcept { return units_; }
  [[nodiscard]] Unit operator[](std::uint32_t i) const noexcept { return units_[i]; }

  // The writable block of an owned value.
  [[nodiscard]] Unit* block() noexcept { return owned_ ? units_ : nullptr; }

private:
  constexpr CountedText(Unit* units, std::uint32_t length, bool owned) noexcept
      : units_(length == 0 ? nullptr : units), length_(length), owned_(owned && length != 0) {}

  void Forget() noexcept {
    units_ = nullptr;
    length_ = 0;
    owned_ = false;
  }

  // Gives back an owned block; an empty or borrowed value has none, and
  // only forgets what it held.
  void Release() noexcept {
    if (owned_) {
      ReleaseBlock();
    }
    Forget();
  }
  void ReleaseBlock() noexcept;

  Unit* units_ = nullptr;
  std::uint32_t length_ = 0;
  bool owned_ = false;
};

using ByteString = CountedText<std::uint8_t>;
using WideString = CountedText<char16_t>;

extern template class CountedText<std::uint8_t>;
extern template class CountedText<char16_t>;

// A literal ByteString over the bytes of a string constant.
template <std::size_t N>
ByteString Literal(const char (&text)[N]) noexcept {
  return ByteString::Borrow(reinterpret_cast<const std::uint8_t*>(text), N - 1);
}

// Lends a held value to an operation without copying it.
template <typename Unit>
CountedText<Unit> Lend(const CountedText<Unit>& value) noexcept {
  return CountedText<Unit>::Borrow(value.data(), value.size());
}

// A new owned copy of units; the empty value when storage is exhausted.
WideString CopyWide(const char16_t* units, std::uint32_t count) noexcept;
ByteString CopyBytes(const std::uint8_t* bytes, std::uint32_t count) noexcept;

enum class Ordering : std::int8_t { Less = -1, Equal = 0, Greater = 1 };

std::uint32_t Length(const ByteString& s) noexcept;

// The target holds value afterwards: an owned temporary is taken over, a
// borrowed value is copied (into the target's own block when the lengths
// agree). Exhaustion leaves the target empty and records 7.
void Assign(ByteString& target, ByteString value) noexcept;

// The bytes of a, then those of b; an empty side passes the other through.
ByteString Concatenate(ByteString a, ByteString b) noexcept;

Ordering CompareBytes(const ByteString& a, const ByteString& b) noexcept;
Ordering CompareWide(const WideString& a, const WideString& b) noexcept;

// Conversions through the ANSI code page; the empty value on any failure.
WideString ToWide(const ByteString& s) noexcept;
ByteString FromWide(const WideString& w) noexcept;

}  // namespace tavrel
