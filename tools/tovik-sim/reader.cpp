#include "reader.hpp"

#include "framing.hpp"

#include <algorithm>

namespace tovik {
namespace {

// The body block starts at this size and then grows by half at least, so
// that a large body is copied a few times only.
constexpr std::size_t first_block = 64 * 1024;

} // namespace

MessageReader::Fed MessageReader::feed(std::span<const unsigned char> bytes, std::size_t may_hold) {
  bool completed = false;
  while (!bytes.empty()) {
    switch (state_) {
    case State::failed:
      return error_.empty() ? Fed::no_room : Fed::refused;
    case State::length: {
      const std::size_t n = std::min(bytes.size(), 4 - head_have_);
      std::copy_n(bytes.begin(), n, head_ + head_have_);
      head_have_ += n;
      bytes = bytes.subspan(n);
      if (head_have_ < 4)
        break;
      length_ = read_be32(head_);
      if (auto why = check_length(length_, limit_)) {
        error_ = *why;
        state_ = State::failed;
        return Fed::refused;
      }
      state_ = State::body;
      break;
    }
    case State::body: {
      const std::size_t n = std::min<std::size_t>(bytes.size(), length_ - body_.size());
      const std::size_t want = body_.size() + n;
      if (want > body_.capacity()) {
        const std::size_t grown = std::min<std::size_t>(
            length_, std::max({want, body_.capacity() + body_.capacity() / 2, first_block}));
        // Past the allowance: the least that would do, or nothing.
        const std::size_t block = grown <= may_hold ? grown : want;
        if (block > may_hold) {
          state_ = State::failed;
          std::vector<unsigned char>().swap(body_);
          return Fed::no_room;
        }
        body_.reserve(block);
      }
      body_.insert(body_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
      bytes = bytes.subspan(n);
      if (body_.size() == length_) {
        state_ = State::complete;
        completed = true;
      }
      break;
    }
    case State::complete:
      trailing_ += bytes.size();
      bytes = {};
      break;
    }
  }
  if (state_ == State::failed)
    return error_.empty() ? Fed::no_room : Fed::refused;
  return completed ? Fed::message : Fed::more;
}

void MessageReader::release() {
  std::vector<unsigned char>().swap(body_);
}

std::string MessageReader::progress() const {
  if (head_have_ < 4)
    return std::to_string(head_have_) + " bytes of the length field";
  const std::size_t have = state_ == State::complete ? length_ : body_.size();
  return std::to_string(4 + have) + " of " + std::to_string(4 + std::size_t(length_)) + " bytes";
}

std::optional<std::string> MessageReader::end_error() const {
  if (state_ == State::complete) {
    if (trailing_)
      return std::to_string(trailing_) + " bytes after the message";
    return std::nullopt;
  }
  if (state_ == State::failed)
    return error_.empty() ? "no room for the message" : error_;
  if (head_have_ == 0)
    return "connection closed without a message";
  return "connection closed after " + progress();
}

} // namespace tovik
