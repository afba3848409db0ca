#pragma once

// The array of one text's items: each line as 8 bytes, where it starts in
// the text and how long it is, rather than a 16-byte view: for a file of
// 40-byte lines, the memory the fast path needs in all drops from about 1.6
// to 1.4 times the file. Once large, the array comes straight from the
// system in large pages: first touching tens of megabytes in 4 KiB pages
// would cost more than finding the repeats.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <new>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/memory.h"
#include "platform/os_messages.h"

namespace velloran::dedupe {

template <class T>
class LargeArrayAllocator {
 public:
  using value_type = T;

  LargeArrayAllocator() = default;
  template <class U>
  LargeArrayAllocator(const LargeArrayAllocator<U>&) noexcept {}

  T* allocate(std::size_t count) {
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    const std::size_t bytes = count * sizeof(T);
    if (bytes < kLarge) return static_cast<T*>(::operator new(bytes));
    return static_cast<T*>(platform::AllocateLargeArray(bytes));
  }

  void deallocate(T* data, std::size_t count) noexcept {
    const std::size_t bytes = count * sizeof(T);
    if (bytes < kLarge) {
      ::operator delete(data);
    } else {
      platform::FreeLargeArray(data, bytes);
    }
  }

  // Values a resize makes are default-initialized: room about to be written
  // is not cleared first.
  template <class U>
  void construct(U* place) noexcept {
    ::new (static_cast<void*>(place)) U;
  }
  template <class U, class... Args>
  void construct(U* place, Args&&... args) {
    ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
  }

  template <class U>
  bool operator==(const LargeArrayAllocator<U>&) const noexcept {
    return true;
  }

 private:
  static constexpr std::size_t kLarge = std::size_t{1} << 20;
};

// One line of a text: its first byte's offset in the text, and its length.
// A length of 0 is an absent item.
struct Item {
  std::uint32_t offset;
  std::uint32_t size;
};

// The items of one text as the repeat table reads and blanks them.
class ItemSpan {
 public:
  ItemSpan(const char* text, std::span<Item> items) : text_(text), items_(items) {}

  std::size_t size() const { return items_.size(); }
  std::string_view operator[](std::size_t i) const {
    return {text_ + items_[i].offset, items_[i].size};
  }
  bool IsBlank(std::size_t i) const { return items_[i].size == 0; }
  void Blank(std::size_t i) const { items_[i].size = 0; }
  // Where item `i` itself is kept, to be fetched ahead of its use.
  const void* Entry(std::size_t i) const { return &items_[i]; }
  ItemSpan first(std::size_t count) const { return {text_, items_.first(count)}; }
  ItemSpan subspan(std::size_t offset) const { return {text_, items_.subspan(offset)}; }

 private:
  const char* text_;
  std::span<Item> items_;
};

// Lines kept as views, as the bounded path's later shares and tests hold
// them, read and blanked as ItemSpan's are.
class ViewSpan {
 public:
  explicit ViewSpan(std::span<std::string_view> views) : views_(views) {}

  std::size_t size() const { return views_.size(); }
  std::string_view operator[](std::size_t i) const { return views_[i]; }
  bool IsBlank(std::size_t i) const { return views_[i].empty(); }
  void Blank(std::size_t i) const { views_[i] = std::string_view(); }
  const void* Entry(std::size_t i) const { return &views_[i]; }
  ViewSpan first(std::size_t count) const { return ViewSpan(views_.first(count)); }
  ViewSpan subspan(std::size_t offset) const { return ViewSpan(views_.subspan(offset)); }

 private:
  std::span<std::string_view> views_;
};

// Room for a known number of items, filled in order as a splitter finds
// the lines of one part of a text: lines of two parts can be split at once
// straight into their places. Offsets count from where the part starts in
// the whole text.
class ItemRun {
 public:
  ItemRun(std::span<Item> room, std::size_t part_offset) : room_(room), part_offset_(part_offset) {}

  void Add(std::size_t offset, std::size_t size) {
    if (filled_ == room_.size()) throw std::length_error("more lines than counted");
    room_[filled_++] =
        Item{static_cast<std::uint32_t>(part_offset_ + offset), static_cast<std::uint32_t>(size)};
  }
  bool full() const { return filled_ == room_.size(); }

 private:
  std::span<Item> room_;
  std::size_t part_offset_;
  std::size_t filled_ = 0;
};

// The items of one text in text order. Items can only be views into that
// text, except item 0, which may be set to a view of something else (the
// marker written when no line repeats).
class ItemList {
 public:
  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;

    const_iterator() = default;
    const_iterator(const ItemList* list, std::size_t index) : list_(list), index_(index) {}
    std::string_view operator*() const { return (*list_)[index_]; }
    const_iterator& operator++() {
      ++index_;
      return *this;
    }
    const_iterator operator++(int) {
      const const_iterator before = *this;
      ++index_;
      return before;
    }
    bool operator==(const const_iterator& other) const { return index_ == other.index_; }

   private:
    const ItemList* list_ = nullptr;
    std::size_t index_ = 0;
  };

  // Offsets and lengths take 32 bits: the longest text a list can hold.
  static constexpr std::uint64_t kLongestText = std::numeric_limits<std::uint32_t>::max();
  static constexpr std::size_t kBytesPerItem = sizeof(Item);

  // Empties the list for the lines of `text`, keeping its room. Throws
  // std::length_error when the text is longer than kLongestText.
  void Reset(std::string_view text) {
    if (text.size() > kLongestText) {
      throw std::length_error(std::string(platform::os_messages::kFileTooLarge));
    }
    text_ = text.data();
    items_.clear();
    first_ = std::string_view();
    replaced_first_ = false;
  }
  void reserve(std::size_t count) { items_.reserve(count); }
  // Empties the list for the lines of `text` and makes `count` items, left
  // to be written in place (ItemRun).
  std::span<Item> MakeRoom(std::string_view text, std::size_t count) {
    Reset(text);
    items_.resize(count);
    return items_;
  }
  // Adds the `size` bytes at `offset` in the text as the next item.
  void Add(std::size_t offset, std::size_t size) {
    items_.push_back(Item{static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(size)});
  }

  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  std::string_view operator[](std::size_t i) const {
    if (i == 0 && replaced_first_) return first_;
    return {text_ + items_[i].offset, items_[i].size};
  }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, items_.size()}; }

  ItemSpan span() { return {text_, items_}; }
  // Item 0 reads as `view` from now on.
  void ReplaceFirst(std::string_view view) {
    first_ = view;
    replaced_first_ = true;
  }
  // The items' own storage, to fault its pages in ahead.
  void* data() { return items_.data(); }

 private:
  const char* text_ = nullptr;
  std::vector<Item, LargeArrayAllocator<Item>> items_;
  std::string_view first_;
  bool replaced_first_ = false;
};

}  // namespace velloran::dedupe
